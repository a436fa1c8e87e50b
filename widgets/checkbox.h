#pragma once
// The check box of the settings pages, the IO pages and the camera views: one look (yellow text,
// "wqy-microhei" 16 px) and a 0/1 value.
#include <QCheckBox>

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent = nullptr, const QString& text = QString());

    // 1 when checked; 0 when unchecked or partially checked.
    int value() const;
    // Checked for any v other than 0.
    void setValue(int v);
};
