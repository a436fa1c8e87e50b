#include "sliderrows.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>

#include "widgets/blineedit.h"

namespace {
const char* const kValueStyle =
    "font-size:32px;color:#1f3f8d;border-width:0px 0px 2px 0px;border-style:solid;border-color:#1f3f8d;";
const char* const kUnitStyle = "font-size:16px;color:#656263;";
}  // namespace

QString sliderText(int value, int scale) {
    if (scale <= 1) return QString::number(value);
    return QString::number(double(value) / scale, 'g', 6);
}

void SliderRow::showValue() const {
    if (slider && value) value->setText(sliderText(slider->value(), scale));
}

void SliderRow::load(int stored) const {
    if (!slider) return;
    const bool blocked = slider->blockSignals(true);
    slider->setValue(stored);
    slider->blockSignals(blocked);
    showValue();
}

int SliderRow::storedValue(int stored) const {
    if (!slider) return stored;
    const int shown = qBound(slider->minimum(), stored, slider->maximum());
    return slider->value() == shown ? stored : slider->value();
}

int storedSwitch(bool ticked, int stored) {
    return ticked ? (stored != 0 ? stored : 1) : 0;
}

SliderRow addSliderRow(QWidget* page, QGridLayout* grid, int row, const QString& caption, int minimum,
                       int maximum, int scale, const QString& unit) {
    SliderRow r;
    r.scale = scale;
    r.caption = new QLabel(caption, page);
    r.slider = new QSlider(Qt::Horizontal, page);
    r.slider->setRange(minimum, maximum);
    r.slider->setFixedWidth(600);
    r.value = new BlineLabel(r.slider, page, caption, QString(), 0);
    r.value->setDisplayScale(scale);
    r.value->setStyleSheet(kValueStyle);
    r.value->setAlignment(Qt::AlignCenter);
    r.value->setMinimumWidth(120);
    r.unit = new QLabel(unit, page);
    r.unit->setStyleSheet(kUnitStyle);
    grid->addWidget(r.caption, row, 0);
    grid->addWidget(r.slider, row, 1);
    grid->addWidget(r.value, row, 2);
    grid->addWidget(r.unit, row, 3);
    r.showValue();
    return r;
}
