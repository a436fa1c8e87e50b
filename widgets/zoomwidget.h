#pragma once
// A vertical spring-loaded zoom control (86 x 192): dragging the knob up zooms in, down zooms out;
// letting go returns the knob to the centre.
#include <QPixmap>
#include <QWidget>

class ZoomWidget : public QWidget {
    Q_OBJECT
public:
    explicit ZoomWidget(QWidget* parent = nullptr);

    // Knob travel from the centre in pixels, and the zoom value a knob displacement gives.
    static constexpr int kTravel = 53;
    static int zoomForDrag(int dy);

    int knobOffset() const { return knobOffset_; }
    QPoint pressPoint() const { return QPoint(pressX_, pressY_); }

signals:
    // -100 (fully down) to 100 (fully up).
    void zoomSignal(int zoomValue);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap track_;
    QPixmap knob_;
    int pressX_ = 0;
    int pressY_ = 0;
    int knobOffset_ = 0;
    bool dragging_ = false;  // a left press landed on the knob and has not been released
};
