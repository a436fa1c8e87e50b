#include "c_type_com.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace {
bool validScheme(int c) {
    return c >= 0 && c <= 3;
}
}  // namespace

C_Type_COM::C_Type_COM(QWidget* parent) : QWidget(parent) {}

void C_Type_COM::initForm() {}

void C_Type_COM::setBtnQss(QPushButton* b, QString normalBackground, QString normalText,
                           QString hoverBackground, QString hoverText, QString pressedBackground,
                           QString pressedText) {
    b->setFocusPolicy(Qt::NoFocus);
    QString qss =
        QString("QPushButton{border-style:none;padding:3px;border-radius:5px;color:%1;background:%2;}")
            .arg(normalText, normalBackground);
    qss += QString("QPushButton:hover{color:%1;background:%2;}").arg(hoverText, hoverBackground);
    qss += QString("QPushButton:pressed{color:%1;background:%2;}").arg(pressedText, pressedBackground);
    b->setStyleSheet(qss);
}

void C_Type_COM::setBtnQss(QPushButton* b, int c) {
    static const char* colours[4][6] = {
        {"#323232", "#FFFFFF", "#323232", "#FFFFFF", "#C8934A", "#FFFFFF"},
        {"#1ABC9C", "#E6F8F5", "#2EE1C1", "#FFFFFF", "#16A086", "#A7EEE6"},
        {"#3498DB", "#FFFFFF", "#5DACE4", "#E5FEFF", "#2483C7", "#A0DAFB"},
        {"#E74C3C", "#FFFFFF", "#EC7064", "#FFF5E7", "#DC2D1A", "#F5A996"},
    };
    if (!validScheme(c)) return;
    const char* const* k = colours[c];
    setBtnQss(b, k[0], k[1], k[2], k[3], k[4], k[5]);
}

void C_Type_COM::setTxtQss(QLineEdit* e, QString border, QString focusBorder) {
    QString qss = QString("QLineEdit{border-style:none;padding:1px;border-radius:5px;border:2px solid %1;}")
                      .arg(border);
    qss += QString("QLineEdit:focus{border:2px solid %1;}").arg(focusBorder);
    e->setStyleSheet(qss);
}

void C_Type_COM::setTxtQss(QLineEdit* e, int c) {
    static const char* focus[4] = {"#34495E", "#1ABC9C", "#3498DB", "#E74C3C"};
    if (!validScheme(c)) return;
    setTxtQss(e, "#DCE4EC", focus[c]);
}

void C_Type_COM::setBarQss(QProgressBar* p, QString background, QString chunk) {
    QString qss = QString(
                      "QProgressBar{font:9pt;height:%2px;background:%1;border-radius:%3px;text-align:center;"
                      "border:1px solid %1;}")
                      .arg(background)
                      .arg(8)
                      .arg(8);
    // "::chunk" is the sub-control; a single colon would make it a never-matching pseudo-state.
    qss += QString("QProgressBar::chunk{border-radius:%2px;background-color:%1;}").arg(chunk).arg(8);
    p->setStyleSheet(qss);
}

void C_Type_COM::setBarQss(QProgressBar*, int) {}

void C_Type_COM::setSliderQss(QSlider* s, QString groove, QString subPage, QString handle) {
    QString qss =
        QString(
            "QSlider::groove:horizontal,QSlider::add-page:horizontal{height:%2px;border-radius:%3px;"
            "background:%1;}")
            .arg(groove)
            .arg(14)
            .arg(4);
    qss += QString("QSlider::sub-page:horizontal{height:%2px;border-radius:%3px;background:%1;}")
               .arg(subPage)
               .arg(14)
               .arg(4);
    qss +=
        QString(
            "QSlider::handle:horizontal{width:%2px;margin-top:-%3px;margin-bottom:-%3px;border-radius:%4px;"
            "background:qradialgradient(spread:pad,cx:0.5,cy:0.5,radius:0.5,fx:0.5,fy:0.5,stop:0.6 "
            "#FFFFFF,stop:0.8 %1);}")
            .arg(handle)
            .arg(16)
            .arg(3)
            .arg(6);
    qss += "QSlider {background:rgb(170,170,170);margin:5px;padding:2px;height:10px;border-radius:4px}";
    qss +=
        "QSlider::sub-page:horizontal{background:qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, stop:1 "
        "rgba(50,50,50, 255), stop:0 blue)}";
    s->setStyleSheet(qss);
}

void C_Type_COM::setSliderQss(QSlider* s, int c) {
    static const char* colour[4] = {"#191532", "#1ABC9C", "#3498DB", "#E74C3C"};
    if (!validScheme(c)) return;
    setSliderQss(s, "#FFFBF0", colour[c], colour[c]);
}
