#pragma once
// The password dialog: a frameless 680 x 250 box centred on the camera area with a password field
// (typed on the numeric keypad, whose confirm key submits it), "YES" and "Cancel". A right entry raises the
// main window's access level and accepts the dialog; a wrong one drops the level to 0, empties the field,
// shows "The password is wrong" and keeps the dialog open.
#include <QDialog>

class BLineEdit;
class QLabel;
class QPushButton;

class PasswordBox : public QDialog {
    Q_OBJECT
public:
    // Connects the numeric keypad's chkpassword() to accept() when the keypad exists.
    PasswordBox(QString title, QWidget* parent = nullptr);
    ~PasswordBox() override;

    BLineEdit* passwordEdit() const { return edit; }
    QLabel* titleLabel() const { return title; }
    QPushButton* yesButton() const { return yes; }
    QPushButton* cancelButton() const { return cancel; }
    // 0 normal, 2 after a wrong password until the field is next emptied.
    int promptState() const { return prompt; }

public slots:
    void accept() override;
    void SlotTextChanged(const QString& text);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    BLineEdit* edit;
    QLabel* title;
    QLabel* icon;
    QPushButton* yes;
    QPushButton* cancel;
    int prompt = 0;
};

// Builds the long-lived password dialog gpPasswordBox (title "Password confirmation") once the
// numeric keypad gpNumPad exists; returns it (the existing one when called again).
PasswordBox* createGlobalPasswordBox(QWidget* parent = nullptr);
