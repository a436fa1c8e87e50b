#pragma once
// The slider rows of the settings pages: a caption, a 600-pixel slider, its value (pressed, it opens
// the numeric keypad) and a unit. A row with scale 10 holds tenths and shows them divided by 10.
#include <QString>

class BlineLabel;
class QGridLayout;
class QLabel;
class QSlider;
class QWidget;

struct SliderRow {
    QLabel* caption = nullptr;
    QSlider* slider = nullptr;
    BlineLabel* value = nullptr;
    QLabel* unit = nullptr;
    int scale = 1;

    // Writes the slider's value into the value label in the row's format.
    void showValue() const;
    // Shows a stored value without emitting; one outside the slider's range is shown at the nearer end.
    void load(int stored) const;
    // The value to store: `stored` as it is while the slider still shows what load(stored) put there
    // (a value outside the range is kept until the operator moves the slider), else the slider's.
    int storedValue(int stored) const;
};

// The value a check box stores: 0 unticked; ticked, a stored non-zero value as it is, else 1.
int storedSwitch(bool ticked, int stored);

// Adds row `row` to `grid` (columns 0 to 3) with the range minimum..maximum.
SliderRow addSliderRow(QWidget* page, QGridLayout* grid, int row, const QString& caption, int minimum,
                       int maximum, int scale, const QString& unit);

// A value as a row of scale `scale` shows it: 7 -> "0.7", 25 -> "2.5", 100 -> "10" for scale 10.
QString sliderText(int value, int scale);
