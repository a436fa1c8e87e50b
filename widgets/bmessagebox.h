#pragma once
// The modal boxes: a title column, a 1-pixel rule, the message with its buttons. Texts come from the
// language table in the current language. The boxes centre on the display area (gShowW x gShowH);
// before the main window has set it, they centre on the screen.
#include <QDialog>

class QLabel;
class QPushButton;

// A box's message as it is shown: the table's line breaks kept only after a sentence's or clause's end
// (。！？!?：:); other breaks join the lines, with a blank between words and none between Chinese
// characters. The box wraps the text to its own width.
QString flowText(const QString& text);

// A message with one confirm button (680 x 250; taller when the message needs it).
class WarnBox : public QDialog {
public:
    WarnBox(QString title, QWidget* parent = nullptr);
    void setText(const QString& text);

    QPushButton* confirmButton;
    QLabel* textLabel;
    QLabel* titleLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

// A question with yes (accepts) and no (rejects), 680 x 310; hidden after construction.
class ChooseBox : public QDialog {
public:
    ChooseBox(QString title, QWidget* parent = nullptr);
    void setText(const QString& text);

    QPushButton* yesButton;
    QPushButton* noButton;
    QLabel* textLabel;
    QLabel* titleLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

// Buttons of a BMessageBox, created left to right in this order whatever the order of the bits.
enum BMessageBoxButton {
    BMB_Confirm = 0x1,  // accepts
    BMB_Cancel = 0x2,   // rejects
    BMB_Yes = 0x4,      // accepts
    BMB_No = 0x8,       // rejects
    BMB_Close = 0x10,   // rejects
};
// Icon values 1 to 4 show the warning icon; any other value shows none (the space stays).
using BMessageBoxIcon = int;

// A box whose buttons are chosen by a mask; its buttons act on press.
class BMessageBox : public QDialog {
    Q_OBJECT
public:
    BMessageBox(QString title, QString text, int buttons, BMessageBoxIcon icon, QWidget* parent = nullptr);
};

// The shared style sheet of the boxes.
QString messageBoxSheet();

// Installs the real boxes behind showWarnBox/showChooseBox (start-up).
void installKitBoxes();
// A WarnBox titled "Warning!" shown without a modal loop; it hides on confirm and is not deleted.
WarnBox* showNoticeBox(const QString& text);
