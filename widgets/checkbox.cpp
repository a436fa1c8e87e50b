#include "checkbox.h"

#include <QFont>
#include <QPalette>

CheckBox::CheckBox(QWidget* parent, const QString& text) : QCheckBox(text, parent) {
    QPalette pal = palette();
    pal.setColor(QPalette::All, QPalette::WindowText, Qt::yellow);
    setPalette(pal);
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(16);
    setFont(f);
    installEventFilter(this);
}

int CheckBox::value() const {
    return checkState() == Qt::Checked ? 1 : 0;
}

void CheckBox::setValue(int v) {
    setChecked(v != 0);
}

bool CheckBox::eventFilter(QObject* watched, QEvent* event) {
    return QCheckBox::eventFilter(watched, event);
}
