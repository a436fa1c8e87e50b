#pragma once
// A small frameless modal message box (500 x 400): a title bar with the buttons on the right and a
// word-wrapped message below.
#include <QDialog>
#include <QString>

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    // Buttons, in this order: OK closes, NO rejects, CANCEL closes, YES accepts.
    enum Button { Ok = 0x1, Yes = 0x10, No = 0x100, Cancel = 0x1000 };

    MessageDialog(const QString& title, const QString& text, int flags, QWidget* parent = nullptr);

    void resetMessage(const QString& text);
};
