#pragma once
// Style-sheet builders for push buttons, line edits, progress bars and horizontal sliders: one form
// with explicit colours, one with a colour scheme (C_Color 0 to 3; any other value sets nothing).
#include <QWidget>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;

class C_Type_COM : public QWidget {
    Q_OBJECT
public:
    enum C_Color { C_Color0 = 0, C_Color1 = 1, C_Color2 = 2, C_Color3 = 3 };

    explicit C_Type_COM(QWidget* parent = nullptr);

    void setBtnQss(QPushButton* b, QString normalBackground, QString normalText, QString hoverBackground,
                   QString hoverText, QString pressedBackground, QString pressedText);
    void setBtnQss(QPushButton* b, int c);
    void setTxtQss(QLineEdit* e, QString border, QString focusBorder);
    void setTxtQss(QLineEdit* e, int c);
    void setBarQss(QProgressBar* p, QString background, QString chunk);
    void setBarQss(QProgressBar* p, int c);
    void setSliderQss(QSlider* s, QString groove, QString subPage, QString handle);
    void setSliderQss(QSlider* s, int c);

public slots:
    void initForm();
};
