#pragma once
// The two pop-up keypads of the Edit fields. They have no text of their own: their keys type
// straight into the program's current field (gpWin->currentEdit). The main window builds both once,
// hidden and without a parent, and makes them its children; an Edit places and shows one of them on
// a tap. Neither the keypads nor their keys take the keyboard focus.
#include <QWidget>

class QButtonGroup;
class QDialog;
class QLineEdit;
class QPushButton;
class ColorButton;

// Numeric keypad, 427 x 230: digits, erase and confirm.
class NumberInput : public QWidget {
    Q_OBJECT
public:
    explicit NumberInput(QWidget* parent = nullptr);
    ~NumberInput() override;

    bool firstKey() const { return m_firstKey; }

    QButtonGroup* keyGroup;  // the digit keys "1" .. "9", "0" with ids 0 .. 9
    QPushButton* eraseButton;
    QPushButton* confirmButton;

signals:
    // Confirm pressed while the password dialog is shown.
    void chkpassword();

public slots:
    void setContent(int id);
    void eraseContent();
    void eraseAll();  // empties the current field; the next digit starts a new number
    // Closes the keypad. Outside the password dialog the current field's editing ends as well.
    // Checks nothing: a touch beside the keypad must never judge a half-typed password.
    void HideUpdate();
    // The confirm key: closes the keypad and, while the password dialog is shown, submits it.
    void Confirm();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_firstKey = true;
};

// Alphanumeric keyboard, 785 x 295: a digit row and three pages (capitals, small letters, symbols)
// switched by the page and case keys, whose captions tell which page is shown.
class NumCharInput : public QWidget {
    Q_OBJECT
public:
    explicit NumCharInput(QWidget* parent = nullptr);
    ~NumCharInput() override;

    QButtonGroup* keyGroup;  // the 37 character keys, ids 0 .. 36
    ColorButton* pageButton;
    ColorButton* caseButton;
    ColorButton* eraseButton;
    ColorButton* confirmButton;

public slots:
    void SlotChgChar_Punc();
    void setContent(int id);
    void eraseContent();
    void HideUpdate();
    void SlotCap();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum Page { Capitals, SmallLetters, Symbols };
    void showPage(Page page);
};

extern NumberInput* gpNumPad;
extern NumCharInput* gpNumCharPad;
// The password dialog (built by the access-level screens); null while there is none. The numeric
// keypad's confirm key hands over to it while it is shown.
extern QDialog* gpPasswordBox;

// The field the keypads type into: gpWin->currentEdit as a line edit, or null.
QLineEdit* keypadField();
// Tests: deletes the keypads still alive and nulls the three pointers.
void resetKeypadGlobals();
