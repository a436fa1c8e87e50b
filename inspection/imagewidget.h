#pragma once
// A camera tile: a plain widget that knows its camera slot and holds the camera's number icon and a
// generic camera icon.
#include <QPixmap>
#include <QWidget>

class ImageWidget : public QWidget {
    Q_OBJECT
public:
    ImageWidget(int slot, QWidget* parent = nullptr);
    void setIsShowSingle(bool) {}

    int slot() const { return slot_; }
    const QPixmap& numberIcon() const { return numberIcon_; }
    const QPixmap& cameraIcon() const { return cameraIcon_; }

private:
    int slot_;
    QPixmap numberIcon_;
    QPixmap cameraIcon_;
};
