// Gallery pages of the composite editors, the date and time dialog, the zoom control and the
// light settings frame.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/lanstr.h"
#include "editors.h"
#include "widgets/bwidget.h"
#include "widgets/checkbox.h"
#include "widgets/choosecalinumwidget.h"
#include "widgets/editbox.h"
#include "widgets/editip.h"
#include "widgets/kiticons.h"
#include "widgets/kittext.h"
#include "widgets/label.h"
#include "widgets/lightsettingdialog.h"
#include "widgets/modifytimewidget.h"
#include "widgets/zoomwidget.h"

namespace {

void dragKnob(ZoomWidget* w, int dy) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(43, 96), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(43, 96 + dy), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

void smallWidgets(const GallerySave& save) {
    BWidget panel;
    panel.setObjectName("editors");
    // The settings pages' dark background, where the yellow captions are meant to be read.
    panel.setStyleSheet("BWidget#editors{background-color:#393c45;}");
    auto* col = new QVBoxLayout(&panel);
    col->setSpacing(20);

    auto* zooms = new QHBoxLayout;
    auto* rest = new ZoomWidget(&panel);
    auto* up = new ZoomWidget(&panel);
    auto* down = new ZoomWidget(&panel);
    zooms->addWidget(rest);
    zooms->addWidget(up);
    zooms->addWidget(down);
    auto* checks = new QVBoxLayout;
    auto* on = new CheckBox(&panel, kitText(429));
    on->setValue(1);
    auto* off = new CheckBox(&panel, kitText(430));
    checks->addWidget(on);
    checks->addWidget(off);
    checks->addWidget(new CheckBox(&panel, QString()));
    zooms->addLayout(checks);
    auto* pic = new Label(&panel, kitPixmap(":/img/icons/56.png"));
    pic->setFixedSize(70, 70);
    zooms->addWidget(pic);
    zooms->addStretch();
    col->addLayout(zooms);

    auto* slider = new C_Slider(&panel);
    slider->setRange(0, 100);
    slider->setValue(40);
    slider->setFixedWidth(500);
    col->addWidget(slider);
    col->addStretch();
    panel.resize(900, 420);
    panel.show();
    dragKnob(up, -30);
    dragKnob(down, 80);
    save(&panel, "editors_small");
}

void composites(const GallerySave& save) {
    BWidget panel;
    panel.setObjectName("composites");
    panel.setStyleSheet("BWidget#composites{background-color:#393c45;}");
    auto* col = new QVBoxLayout(&panel);
    col->setSpacing(20);
    auto* steps = new EditBox(0, 1000, &panel, kitText(401).left(6), "ms", 0, 1);
    steps->setValue(250);
    col->addWidget(steps);
    auto* scaled = new EditBox(0, 1000, &panel, "T", "S", 2, 10);
    scaled->setValue(125);
    col->addWidget(scaled);
    auto* sample = new EditBox(0, 100, &panel, "N", "", 0, 1);
    sample->setValue(7);
    sample->setSampleShow();
    col->addWidget(sample);
    auto* ip = new EditIP("IP", &panel);
    ip->setTextIP("192.168.1.10");
    col->addWidget(ip);
    // The limit pair has black text: it belongs on a light page.
    auto* light = new BWidget(&panel);
    light->setObjectName("light");
    light->setStyleSheet("BWidget#light{background-color:#f5f5f5;}");
    auto* lightRow = new QVBoxLayout(light);
    auto* temp = new EditTempBox(0, 1000, 0, 0, light, "1#", QString::fromUtf8("℃"), 2, 10);
    temp->setValueRange(200, 850);
    temp->setValue(412);
    lightRow->addWidget(temp);
    col->addWidget(light);
    col->addStretch();
    panel.resize(1100, 560);
    panel.show();
    save(&panel, "composites");
}

}  // namespace

void editorsGallery(const GallerySave& save, const GallerySave& saveScreen, QWidget* background) {
    smallWidgets(save);
    composites(save);
    {
        ChooseCaliNumWidget box;
        box.setText(kitText(459));
        box.show();
        save(&box, "choosecalinum");
    }
    {
        lightsettingdialog d;
        d.show();
        save(&d, "lightsettingdialog");
    }
    {
        ModifyTimeWidget d(kitText(401));
        d.show();
        save(&d, "modifytime");
        saveScreen(background, "modifytime");
    }
}
