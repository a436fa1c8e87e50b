#pragma once
// A four-octet IPv4 address editor: title, then four fields of 0 to 255
// separated by dots. The dot key in one field moves to the next.
#include <QColor>
#include <QWidget>

class Edit;
class QLabel;

class EditIP : public QWidget {
    Q_OBJECT
public:
    explicit EditIP(const QString& title, QWidget* parent = nullptr);

    // "a.b.c.d" from the four fields (an empty field counts 0); remembered as the
    // composed text.
    QString getTextIP();
    // Fills the fields from text: a "." moves to the next field (after the fourth
    // it only restarts the fourth); a field that gets no characters shows 0 (the
    // text is a whole address). Octets are clamped to 0..255.
    void setTextIP(const QString& text);
    void setTitleColor(const QColor& colour);
    void setGeometry(int x, int y, int w, int h);

    QString composedText() const { return m_text; }
    Edit* field(int i) const { return m_fields[i]; }
    QLabel* titleLabel;

signals:
    void textchange(QString curtext);

public slots:
    void SlotTextChg_0(QString text);
    void SlotTextChg_1(QString text);
    void SlotTextChg_2(QString text);
    void SlotTextChg_3(QString text);
    void SlotPressDot_0();
    void SlotPressDot_1();
    void SlotPressDot_2();

private:
    void textChanged(int i, const QString& text);
    void pressDot(int i);

    Edit* m_fields[4];
    QLabel* m_dots[3];
    QColor m_titleColour = Qt::yellow;
    QString m_text;
};
