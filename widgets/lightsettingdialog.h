#pragma once
// An empty dialog frame (600 x 400): a dark title bar with the title, Cancel and OK.
// exec() gives 1 for OK and 0 for Cancel.
#include <QDialog>

class QLabel;
class QPushButton;

class lightsettingdialog : public QDialog {
    Q_OBJECT
public:
    explicit lightsettingdialog(QWidget* parent = nullptr);
    void setText(const QString& text);

    QLabel* titleLabel;
    QPushButton* okButton;
    QPushButton* cancelButton;
};
