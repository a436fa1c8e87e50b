// The camera pages of the settings dialog for the gallery: the parameters page with the sub-page on
// top (factory controls shown), the functions page, and the sub-page detached as its floating panel.
#include <QString>
#include <QVBoxLayout>
#include <functional>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "settings/camerapages.h"
#include "widgets/bwidget.h"

void galleryCameraPages(const std::function<void(QWidget*, const QString&)>& save) {
    WizardPara live;
    for (int c = 0; c < 8; ++c) {
        live.expose_time[c] = 20 + c;
        live.adjust_plus[c] = 16;
        live.sharp[c] = 30;
        live.contrast[c] = 100;
        live.gamma[c] = 100;
    }
    live.capture_speed = 3;
    live.enable_defect_detect = live.enable_black_area = live.auto_shading = 1;
    WizardPara bak = live;
    WizardPara* oldLive = gpWPara;
    WizardPara* oldBak = gpWParaBak;
    gpWPara = &live;
    gpWParaBak = &bak;
    const int oldCount = numCamera;
    numCamera = 3;
    {
        BWidget frame;
        frame.setObjectName("frame");
        frame.setStyleSheet("BWidget#frame{background-color:#ffffff;}");
        auto* col = new QVBoxLayout(&frame);
        col->setContentsMargins(0, 0, 0, 0);
        auto* page = new CameraParamsWidget(&frame);
        col->addWidget(page);
        frame.resize(1565, 902);
        page->WizardParaInit();
        page->subWidget->WizardParaInit();
        frame.show();
        save(&frame, "cameraparams");
        page->subWidget->viewBtnToggled(true);
        save(page->subWidget, "cameraparams_detached");
        page->subWidget->viewBtnToggled(false);
    }
    {
        BWidget frame;
        frame.setObjectName("frame");
        frame.setStyleSheet("BWidget#frame{background-color:#ffffff;}");
        auto* col = new QVBoxLayout(&frame);
        col->setContentsMargins(0, 0, 0, 0);
        auto* page = new CameraFunctionsWidget(&frame);
        col->addWidget(page);
        frame.resize(1565, 902);
        page->WizardParaInit();
        frame.show();
        save(&frame, "camerafunctions");
    }
    numCamera = oldCount;
    gpWPara = oldLive;
    gpWParaBak = oldBak;
}
