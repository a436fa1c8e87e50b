#include "iopages.h"

#include <QComboBox>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "io/customionamewidget.h"
#include "io/iofunctionswidget.h"
#include "io/ioparamswidget.h"
#include "io/iosettingsdialog.h"
#include "io/iowidget.h"
#include "widgets/bwidget.h"
#include "widgets/checkbox.h"
#include "widgets/indexbutton.h"

namespace {

class GalleryDialog : public IOSettingsDialog {
public:
    bool factoryParamShown() const override { return true; }
    void ResetReCheck1Text(const QString&) override {}
    void DoChangePage() override {}
    void changeWidget(int) override {}
    void showDialog() override {}
};

// A settings page in the size the settings dialog gives it.
template <typename Page>
void showPage(Page* page, BWidget* frame) {
    auto* col = new QVBoxLayout(frame);
    col->setContentsMargins(0, 0, 0, 0);
    col->addWidget(page);
    frame->setObjectName("frame");
    frame->setStyleSheet("BWidget#frame{background-color:#ffffff;}");
    frame->resize(1565, 902);
    page->WizardParaInit();
    frame->show();
}

}  // namespace

void galleryIOPages(const std::function<void(QWidget*, const QString&)>& save) {
    WizardPara live;
    live.thimble_pulse = 15;
    live.mold_pulse = 20;
    live.pre_cut = 35;
    live.shake_erase_time = 2;
    live.input_timeout_len = 60;
    live.enable_stop_mold = 1;
    live.ok_ng_pulse = 1;
    live.enable_mold_backup = 1;
    live.output_inverted[2] = 1;
    live.detect_mode = live.detect_mode_next = kDetectTwoColour;
    WizardPara bak = live;
    WizardPara* oldLive = gpWPara;
    WizardPara* oldBak = gpWParaBak;
    gpWPara = &live;
    gpWParaBak = &bak;
    GalleryDialog dialog;
    {
        BWidget frame;
        showPage(new IOFunctionsWidget(&frame, &dialog), &frame);
        save(&frame, "io_functions");
    }
    {
        BWidget frame;
        showPage(new IOParamsWidget(&frame, &dialog), &frame);
        save(&frame, "io_params");
    }
    // Multi-detection: five detections, three rows.
    live.detect_mode = live.detect_mode_next = kDetectMulti;
    live.multi_step_count = 5;
    const int rows[8] = {0, 0, 1, 2, 2, -1, -1, -1};
    const int choices[8] = {0, 2, 3, 3, 3, 3, 3, 3};
    for (int i = 0; i < 8; ++i) {
        live.multi_trig_row[i] = rows[i];
        live.multi_trig_choice[i] = choices[i];
        live.multi_cut_mode[i] = i % 3;
        live.custom_input_func[i] = (i * 3) % 16;
        live.custom_output_func[i] = (i * 5) % 14;
    }
    bak = live;
    {
        BWidget frame;
        showPage(new IOParamsWidget(&frame, &dialog), &frame);
        save(&frame, "io_params_multi");
    }
    IOWidget multi(&dialog);
    multi.show();
    save(&multi, "io_multidetect");
    multi.countBox->setCurrentIndex(6);
    save(&multi, "io_multidetect_8");
    multi.hide();
    {
        BWidget window;
        window.setObjectName("window");
        window.setStyleSheet("BWidget#window{background-color:#b0b0b0;}");
        window.resize(1920, 1080);
        CustomIONameWidget names(&window, &multi, &dialog);
        names.init();
        window.show();
        names.hide();
        names.show();
        save(&window, "io_names");
    }
    gpWPara = oldLive;
    gpWParaBak = oldBak;
}
