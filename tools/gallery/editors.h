#pragma once
#include <QString>
#include <functional>

class QWidget;

using GallerySave = std::function<void(QWidget*, const QString&)>;
void editorsGallery(const GallerySave& save, const GallerySave& saveScreen, QWidget* background);
