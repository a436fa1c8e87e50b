#pragma once
// Small stand-alone widgets of the kit: a picture that can be clicked, and a slider that jumps to
// where it is released.
#include <QLabel>
#include <QSlider>

class Label : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, QPixmap pixmap);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class C_Slider : public QSlider {
    Q_OBJECT
public:
    explicit C_Slider(QWidget* parent = nullptr);

    // The value a release at x gives on a slider `width` wide: the outer fiftieths snap to the ends.
    static int valueAt(int x, int width, int minimum, int maximum);

signals:
    void cChgValue(int value);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
