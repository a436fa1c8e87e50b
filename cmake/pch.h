// Precompiled header shared by every target: the heavy, stable Qt headers.
#pragma once
#ifdef __cplusplus
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#endif
