#pragma once
// The labelled horizontal slider of a camera view's region parameter panel. Left to right: the
// label (its object name), a painted value box, "- 1", the track with its handle, "+ 1". A release
// on the value box opens the numeric keypad, which types into a hidden value field.
#include <QAbstractSlider>
#include <QPoint>
#include <QRect>

class ColorButton;
class Edit;

class Slider : public QAbstractSlider {
    Q_OBJECT
public:
    Slider(int minimum, int maximum, int pageStep, int value, QWidget* parent = nullptr,
           const QString& name = QString());

    // Label, range, page step and value, in this order; valueChanged once, with the final value, when
    // it differs from the value before.
    void Reset(int minimum, int maximum, int pageStep, int value, const QString& name);

    ColorButton* plusButton() const { return m_plus; }
    ColorButton* minusButton() const { return m_minus; }
    Edit* valueField() const { return m_field; }
    int trackLength() const { return m_trackLength; }
    int trackSpan() const { return m_trackSpan; }
    int handleX() const;
    bool dragging() const { return m_drag.x() != -1; }

public slots:
    void Add();
    void Sub();
    // The typed text as the value (kept within the range; a text that is not a number gives the
    // minimum); an empty field leaves the value as it is.
    void SetText(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int fill() const;

    ColorButton* m_plus;
    ColorButton* m_minus;
    Edit* m_field;
    int m_trackLength = 0;
    int m_trackOffset = 0;
    int m_trackSpan = 0;
    QRect m_handle;
    // The caption's pixel size, fitted to its 120 px column for the caption it was fitted to.
    int m_captionPx = 30;
    QString m_captionFor;
    QPoint m_drag{-1, -1};
};
