#pragma once
// The IO settings pages, the multi-detection IO page and the custom IO names dialog for the gallery.
#include <QString>
#include <functional>

class QWidget;

// `save(widget, name)` writes one picture.
void galleryIOPages(const std::function<void(QWidget*, const QString&)>& save);
