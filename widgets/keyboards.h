#pragma once
// The two modal pop-up keyboards of the settings pages. A caller builds one for one entry, runs
// exec() (1 accepted, 0 rejected or closed), reads getText() and destroys it.
// Keys act on press and never take the focus from the text field.
#include <QDialog>

class QLineEdit;
class QPushButton;

// Numeric keypad, 416 x 586, frameless and on top.
class DigitalKeyboard : public QDialog {
    Q_OBJECT
public:
    DigitalKeyboard(QString title, QString hint, QString text, QWidget* parent = nullptr);
    QString getText() const;

    QPushButton* closeButton;
    QPushButton* cancelButton;
    QPushButton* confirmButton;
    QPushButton* backspaceButton;
    QLineEdit* textEdit;

private slots:
    void btnPressed();
};

// Letters, digits and "_", 1112 x 520, frameless. The symbol key has no action: this keyboard only
// ever produces [A-Za-z0-9_], which parameter-group names rely on.
class FullKeyboard : public QDialog {
    Q_OBJECT
public:
    FullKeyboard(QString title, QString hint, QString text, QWidget* parent = nullptr);
    QString getText() const;

    QPushButton* closeButton;
    QPushButton* caseButton;
    QPushButton* symbolButton;
    QPushButton* cancelButton;
    QPushButton* confirmButton;
    QPushButton* backspaceButton;
    QLineEdit* textEdit;

private slots:
    void btnPressed();
};
