#pragma once
// The date and time dialog of the settings dialog (680 x 400, centred on the display area when
// built): title, rule, the date and time editor, OK and Cancel. exec() gives 1 for OK.
#include <QDialog>

class EditDateTime;
class QLabel;
class QPushButton;

class ModifyTimeWidget : public QDialog {
public:
    ModifyTimeWidget(QString title, QWidget* parent = nullptr);

    EditDateTime* dateTimeEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;
    QLabel* titleLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
