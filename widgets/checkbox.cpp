#include "checkbox.h"

CheckBox::CheckBox(QWidget* parent, const QString& text) : QCheckBox(text, parent) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::yellow);
    setPalette(pal);
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(16);
    setFont(f);
}

int CheckBox::value() const {
    return checkState() == Qt::Checked ? 1 : 0;
}

void CheckBox::setValue(int v) {
    setCheckState(v != 0 ? Qt::Checked : Qt::Unchecked);
}
