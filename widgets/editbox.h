#pragma once
// Composite editors built on the entry field Edit: an integer stepper (EditBox)
// and a lower/upper limit pair with the measured value between them
// (EditTempBox). Their value fields (EditParam, EditTempParam) carry a unit
// label at the right end and hand digits typed on the numeric keypad to their
// owner box instead of typing them.
#include <QWidget>

#include "edit.h"

class ColorButton;
class EditBox;
class EditTempBox;
class QLabel;

// Text of value v in display type `type` (0 integer, 2 v / scale with 6
// significant digits); empty for any other type. A scale of 0 or below counts
// as 1.
QString editBoxText(int v, int type, int scale);

// A value field with a unit label at its right end that reports losing the focus, so that its
// owner box can check the range. Unit label: "wqy-microhei" 27 pt, (unit length x 27 + 10) x 50;
// none for an empty unit.
class UnitEdit : public Edit {
    Q_OBJECT
public:
    UnitEdit(int flags, QString unit, QWidget* box);

    QLabel* unitLabel() const { return m_unitLabel; }
    int labelX() const { return m_labelX; }

signals:
    void focusOut();

public slots:
    void ChangeLabelP(QString text);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    QLabel* m_unitLabel = nullptr;
    int m_labelX = 0;
};

// The value field of EditBox: keypad digits set the box's value.
class EditParam : public UnitEdit {
    Q_OBJECT
public:
    EditParam(int flags, QString unit, EditBox* box);

    EditBox* box() const { return m_box; }
    bool keypadDigit(int digit, bool firstKey) override;

private:
    EditBox* m_box;
};

// A limit field of EditTempBox: keypad digits set the limit the field stands for.
class EditTempParam : public UnitEdit {
    Q_OBJECT
public:
    EditTempParam(int flags, QString unit, EditTempBox* box);

    EditTempBox* box() const { return m_box; }
    bool keypadDigit(int digit, bool firstKey) override;

private:
    EditTempBox* m_box;
};

// Title, - 5, - 1, value field, + 1, + 5 (steps shown divided by the scale).
// The value is clamped into [minimum, maximum] on every change; with use0 set,
// 0 is accepted below the minimum.
class EditBox : public QWidget {
    Q_OBJECT
public:
    // type 0 shows the value as an integer, type 2 as value / scale; other types
    // show nothing.
    EditBox(int minimum, int maximum, QWidget* parent, const QString& title, QString unit, int type,
            int scale);

    void setUse0(bool on);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    EditParam* entry;
    QLabel* titleLabel;
    ColorButton* subFiveButton;
    ColorButton* subOneButton;
    ColorButton* addOneButton;
    ColorButton* addFiveButton;

signals:
    void valueChanged(int value);

public slots:
    void AddOne();
    void SubOne();
    void AddFive();
    void SubFive();
    int value() const;
    void setInputValue(int v);  // no check, no display
    void setValue(int v);       // then CheckRange
    void setValue();            // shows the value in the field
    void CheckRange();
    void setText(QString title);
    int getType() const;
    void setSampleShow();  // hides the four step buttons
    void setLabelColor(QColor colour);

private:
    int m_min;
    int m_max;
    int m_value = 0;
    bool m_use0 = false;
    int m_scale;
    int m_type;
    QString m_title;
};

// Title, lower limit field, measured value, upper limit field. Limits are
// clamped into the allowed range when a limit field loses focus.
class EditTempBox : public QWidget {
    Q_OBJECT
public:
    // The third and fourth int arguments are not used.
    EditTempBox(int allowedMinimum, int allowedMaximum, int, int, QWidget* parent, const QString& title,
                QString unit, int type, int scale);

    void setValue(int v);
    int value() const { return m_value; }
    bool judgeValue() const;  // lower limit <= value <= upper limit
    void setValueRange(int lower, int upper);
    void setValueRange();  // shows both stored limits
    void setMinValue(int v);
    void setMaxValue(int v);
    int getMinValue() const { return m_lower; }
    int getMaxValue() const { return m_upper; }
    bool checkFocus(QLineEdit* e) const;  // true for the upper field
    void valueRange(int& lower, int& upper) const;

    QLabel* titleLabel;
    EditTempParam* lowerEdit;
    QLabel* valueLabel;
    EditTempParam* upperEdit;

signals:
    void valueChanged(int value);  // never emitted

public slots:
    void CheckRange();

private:
    int m_allowedMin;
    int m_allowedMax;
    int m_value = 0;
    int m_scale;
    int m_type;
    QString m_title;
    int m_lower = 0;
    int m_upper = 0;
};
