#pragma once
// The touch entry field of the keypads. While it has the keyboard focus it is the program's
// current field (gpWin->currentEdit); a tap shows the numeric keypad gpNumPad (or, with flag 2,
// the alphanumeric keyboard gpNumCharPad) beside it, and the keypad types into it. An optional
// integer range is enforced on every text change.
#include <QLineEdit>

class Edit : public QLineEdit {
    Q_OBJECT
public:
    // Flags, as bits: 2 alphanumeric keyboard instead of the numeric keypad; 8 keypad placed in the
    // grandparent, offset by the parent's position; 0x10 (with 8 clear) placed in the grandparent,
    // offset by the parent's and the grandparent's positions. Style 1: the blue-focus field look.
    Edit(int flags, QWidget* parent = nullptr, int style = 0);
    ~Edit() override;

    int value() const;             // 0 when the text is not a decimal integer
    double valueToDouble() const;  // 0 when the text is not a number
    void setValue(int v);
    void setValue(double v);  // 6 significant digits
    // Both -1 (the default): no range. Applied from the next text change on.
    void setRange(int lower, int upper);
    void init();

    int flags() const { return m_flags; }
    int lowerBound() const { return m_lower; }
    int upperBound() const { return m_upper; }

    // A field whose digits belong to an owner (the value fields of the composite editors) takes a
    // digit typed on the numeric keypad here, with whether it is the first key since the keypad
    // opened, and returns true; the keypad then leaves the text alone. Plain fields return false.
    virtual bool keypadDigit(int digit, bool firstKey);

    // Where the keypad of size padSize goes for a field at fieldPos (height fieldHeight, in its
    // parent) when given to a widget of size target, the field's position being offset by offset.
    static QPoint keypadPosition(QPoint fieldPos, int fieldHeight, QPoint offset, QSize padSize, QSize target,
                                 int showH);

signals:
    void sig_Dot();

public slots:
    void SlotRange(QString text);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void showKeypad();

    int m_flags;
    int m_lower = -1;
    int m_upper = -1;
};
