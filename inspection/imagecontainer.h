#pragma once
// Page 0 of the main window: holds the eight camera views, created for slots 0 to 7 in order.
#include <QWidget>

class CammerWidget;

class ImageContainer : public QWidget {
    Q_OBJECT
public:
    // Creates the views and stores them in `views` (index = slot).
    ImageContainer(CammerWidget* views[8], QWidget* parent = nullptr);
    // Lays the shown views out again (the main window's ChangeCammer); the argument is not used.
    void showSplit(bool split = false);

protected:
    void resizeEvent(QResizeEvent* event) override;
};
