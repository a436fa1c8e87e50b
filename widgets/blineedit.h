#pragma once
// Touch-entry fields of the settings pages: a press opens a modal pop-up keyboard; an accepted,
// non-empty entry replaces the text, anything else puts the previous text back.
#include <QLabel>
#include <QLineEdit>

class QSlider;

// 0 opens the numeric keypad DigitalKeyboard, any other value the full keyboard FullKeyboard.
using KeyboardType = int;

class BLineEdit : public QLineEdit {
    Q_OBJECT
public:
    BLineEdit(QWidget* parent, QString title, QString hint, KeyboardType type);

signals:
    // The keyboard was confirmed with this text, now the field's text.
    void entryAccepted(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString title;
    QString hint;
    KeyboardType keyboardType;
    QString savedText;
};

// Shows the value of a slider and lets the operator type a new one. The owner rewrites the label
// from the slider's valueChanged(int) in its own format. An owner that shows the value divided by
// 10 (a delay in tenths shown in seconds) sets display scale 10, so a typed 2.5 means 25 tenths.
class BlineLabel : public QLabel {
    Q_OBJECT
public:
    BlineLabel(QSlider* slider, QWidget* parent, QString title, QString hint, KeyboardType type);

    void setDisplayScale(int scale);  // 1 (default) or 10
    int displayScale() const { return scale; }

    // The slider value an entry sets: the typed number times the display scale, rounded and kept
    // within the slider's range (a text that is not a number reads as 0).
    static int valueFor(const QString& text, int scale, int minimum, int maximum);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(const QString& t);

    QSlider* slider;
    QString title;
    QString hint;
    KeyboardType keyboardType;
    QString savedText;
    QString lastEntry;
    int lastValue = 0;
    int scale = 1;
};
