#pragma once
// Icons of the widget kit. A picture compiled into the program under its resource path
// (":/img/icons/close.png") is used as it is; without one the kit draws its own, so a screen never
// shows an empty button face.
#include <QPixmap>
#include <QString>

QPixmap kitPixmap(const QString& resourcePath);
