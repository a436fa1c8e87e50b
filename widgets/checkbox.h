#pragma once
// The check box of the settings pages, the IO pages and the camera views: one look (yellow caption in
// "wqy-microhei" at 16 pixels) and a 0/1 value interface.
#include <QCheckBox>

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    CheckBox(QWidget* parent, const QString& text);

    // 1 when checked, else 0 (a partially checked box reads 0).
    int value() const;
    // Checked for any v other than 0.
    void setValue(int v);

protected:
    // Installed on the box itself; passes every event on unchanged.
    bool eventFilter(QObject* watched, QEvent* event) override;
};
