#include "regioption.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QItemDelegate>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <cstring>

#include "app/imageglobals.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "inspection/cammerwidget.h"
#include "detect/areagen.h"
#include "detect/miscfunc.h"
#include "io/controlport.h"
#include "inspection/mainwindow.h"
#include "records/accesslevel.h"

namespace {
bool gNoteAllowed = true;  // one note of "Two same parameters" per program run

bool alarmShown(const MainWindow* w) {
    return w && w->DisplayState == 2;
}
}  // namespace

void resetRegionNotes() {
    gNoteAllowed = true;
}

void styleEditorList(BComboBox* list) {
    list->setFixedSize(175, 112);
    // Icons at their drawn size leave the entry texts room in the 175-pixel list in every language.
    list->setIconSize(QSize(48, 48));
    list->setItemDelegate(new QItemDelegate(list));
}

void fillSourceList(BComboBox* list) {
    const int ids[5] = {223, 224, 60, 207, 208};
    for (int i = 0; i < 5; ++i) list->addItem(QIcon(QStringLiteral(":/img/icons/104.png")), lanText(ids[i]), i);
}

QString cameraListIcon(int camera) {
    return camera <= 4 ? QStringLiteral(":/img/icons/%1.png").arg(2 * camera + 57)
                       : QStringLiteral(":/img/icons/camList%1.png").arg(camera);
}

void fillCameraList(BComboBox* list, int cameras) {
    const int n = qBound(0, cameras, kMaxCamera);
    for (int c = 1; c <= n; ++c)
        list->addItem(QIcon(cameraListIcon(c)), lanText(43).arg(c));
    if (n > 1) list->addItem(QIcon(QStringLiteral(":/img/icons/39a.png")), lanText(44));
}

RegiOption::RegiOption(QWidget* parent) : BWidget(parent) {
    setFixedWidth(175);
    const struct {
        BTN_TYPE type;
        int textId;
        const char* icon;
    } defs[] = {{BTN_DELETE_TEMP, 63, ":/img/icons/106.png"},
                {BTN_ADD_TEMP, 48, ":/img/icons/106.png"},
                {BTN_END_SET, 42, ":/img/icons/38.png"},
                {BTN_LIVE_TEMP, 212, ":/img/icons/110.png"}};
    for (const auto& d : defs) {
        auto* b = new BOptionButton(this);
        b->setCheckable(true);
        b->setIcon(QIcon(QString::fromLatin1(d.icon)));
        b->setText(lanText(d.textId));
        buttons_[d.type - 1] = b;
    }
    sourceList_ = new BComboBox(this);
    cameraList_ = new BComboBox(this);
    detectList_ = new BComboBox(this);
    for (BComboBox* l : {sourceList_, cameraList_, detectList_}) styleEditorList(l);
    fillSourceList(sourceList_);
    sourceList_->setCurrentIndex(-1);  // no source chosen yet
    fillCameraList(cameraList_, numCamera);
    const int mode = gpWPara ? gpWPara->detect_mode : 0;
    if (mode == kDetectMulti) {
        ChangeDetectNum(gpWPara->multi_step_count);
    } else {
        int first = 0, count = 0;
        if (mode == kDetectStandard || mode == kDetectAutoParts || mode == kDetectStandardNoRecheck) {
            first = 263;
            count = 2;
        } else if (mode == kDetectTwoColour || mode == kDetectTurntable) {
            first = 372;
            count = 4;
        }
        for (int i = 0; i < count; ++i)
            detectList_->addItem(QIcon(QStringLiteral(":/img/icons/105.png")), lanText(46).arg(lanText(first + i)));
    }

    auto* box = new QVBoxLayout(this);
    box->setSpacing(10);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(buttons_[BTN_LIVE_TEMP - 1]);
    box->addWidget(sourceList_);
    box->addWidget(cameraList_);
    box->addWidget(detectList_);
    box->addWidget(buttons_[BTN_ADD_TEMP - 1]);
    box->addWidget(buttons_[BTN_DELETE_TEMP - 1]);
    box->addStretch();
    box->addWidget(buttons_[BTN_END_SET - 1]);
    setStyleSheet(QStringLiteral(
        "BOptionButton{background-color:#4ab74c;icon-size:68px 68px;border-style:none;color:#ffffff;font-size:18px;"
        "padding:10px 0px 0px 0px;}BOptionButton:checked{color:#ffffff;background-color:#ee2329;}QComboBox { "
        "combobox-popup: 0;border: 1px solid gray;background-color:#d3d3d3;border-radius: 0px;font-size:18px;padding: "
        "1px 1px 1px 1px;min-width: 6em; }QComboBox::drop-down {subcontrol-origin: padding;subcontrol-position: "
        "right;width: 12px;height: 30px; border:none;}QComboBox QAbstractItemView::item { min-height: 100px; "
        "min-width: 260px; }"));

    connect(detectList_, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &RegiOption::ChangeDetectSlot);
    connect(cameraList_, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &RegiOption::ChangeCameraSlot);
    connect(sourceList_, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &RegiOption::ChangeSourceSlot);
    for (BOptionButton* b : buttons_) connect(b, &QAbstractButton::toggled, this, &RegiOption::btnsToggledSlot);
    for (BOptionButton* b : {buttons_[BTN_ADD_TEMP - 1], buttons_[BTN_DELETE_TEMP - 1], buttons_[BTN_LIVE_TEMP - 1]})
        b->hide();
}

MainWindow* RegiOption::window() const {
    return dynamic_cast<MainWindow*>(gpWin);
}

CammerWidget* RegiOption::selectedView() const {
    MainWindow* w = window();
    return w ? w->camView(w->displayedCamera) : nullptr;
}

void RegiOption::btnsToggledSlot(bool checked) {
    for (int i = 0; i < 4; ++i)
        if (sender() == buttons_[i]) emit btnsToggled(BTN_TYPE(i + 1), checked);
}

void RegiOption::CheckSource(int source) {
    if (sourceList_->currentIndex() != source)
        sourceList_->setCurrentIndex(source);
    else
        ChangeSourceSlot(sourceList_->currentIndex());
}

void RegiOption::setDetect(int detect) {
    detectList_->setCurrentIndex(detect);
}

void RegiOption::SetSource(int source) {
    sourceList_->setCurrentIndex(source);
}

void RegiOption::ChangeDetectNum(int count) {
    detectList_->clear();
    for (int i = 0; i < qMin(count, kMaxStep); ++i)
        detectList_->addItem(lanText(46).arg(lanText(477 + i)));
}

void RegiOption::GetTempTIme(int camera, int detect, int k) {
    const QFileInfo file(QStringLiteral("./cammer%1%2/template%3.bmp").arg(camera + 1).arg(detect + 1).arg(k));
    gTempTime = file.exists() ? file.lastModified().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")) : QString();
}

void RegiOption::showTemplate(CammerWidget* v, int k) {
    MainWindow* w = window();
    if (!v || !w) return;
    const int step = qBound(0, w->editorStep, kStepCount - 1);
    const auto& templates = v->data.templates[step];
    if (k < 0 || k >= int(templates.size())) return;
    const cv::Mat& t = templates[size_t(k)];
    if (!t.empty() && t.isContinuous() && t.total() * t.elemSize() == size_t(gColorLen) &&
        v->displayBuffer.size() >= size_t(gColorLen)) {
        memcpy(v->displayBuffer.data(), t.data, size_t(gColorLen));
        v->displayChanged();
        if (gisColor && v->data.convBuffer.size() >= size_t(gImageLen)) {
            int* px = reinterpret_cast<int*>(const_cast<uchar*>(t.data));
            if (gisGrayHue)
                RGBA2Gray(v->data.convBuffer.data(), px, gImageW, gImageH);
            else
                RGBA2Hue(v->data.convBuffer.data(), px, gImageW, gImageH);
        }
    }
    GetTempTIme(v->slot, step, k);
    v->update();
}

void RegiOption::showRecentNG(CammerWidget* v, int step, int index) {
    v->shownRecentNG = index;
    const std::vector<uchar>& ng = v->recentNG[step][index];
    if (ng.size() >= size_t(gColorLen) && v->displayBuffer.size() >= size_t(gColorLen)) {
        memcpy(v->displayBuffer.data(), ng.data(), size_t(gColorLen));
        v->displayChanged();
    }
    v->update();
}

void RegiOption::ChangeSourceSlot(int source) {
    MainWindow* w = window();
    const int previous = gSource;
    gSource = source;
    if (!w) return;
    w->copyMode = 0;
    const bool alarm = alarmShown(w);
    if (source == 0 && alarm && accessCheckPassword() == 0) {
        // Editing needs the password: without it the picture source stays what it was.
        gSource = previous;
        if (previous >= 0) {
            const QSignalBlocker block(sourceList_);
            sourceList_->setCurrentIndex(previous);
        }
        ChangePage();
        return;
    }
    if (alarm && source != 1 && gpControlIO) {
        gpControlIO->IOSetOut(kOutAlarm, 0);
        gpControlIO->IOFlashOut();
    }
    for (CammerWidget* v : w->cams) {
        v->data.shownTemplate = 0;
        v->data.selectedRoi = -1;
        if (w->drawROIWidget) w->drawROIWidget->viewDeselect(v);
    }
    const bool live = source == 1;
    if ((live && w->displayedCamera > numCamera) ||
        (!live && (w->displayedCamera >= numCamera || w->displayedCamera < 0))) {
        w->displayedCamera = 0;
        w->ChangeCammer();
    }
    {
        const QSignalBlocker block(cameraList_);
        cameraList_->setCurrentIndex(w->displayedCamera);
    }
    if (w->drawROIWidget && gpWPara && gpWPara->show_cavity_no)
        for (CammerWidget* view : w->cams) w->drawROIWidget->viewCavityBoxes(view, source == 0 ? 1 : 0);
    CammerWidget* v = selectedView();
    const int step = qBound(0, w->editorStep, kStepCount - 1);
    switch (source) {
        case 0:
            w->drawingTool = 0;
            showTemplate(v, 0);
            break;
        case 2:
            if (v) showRecentNG(v, step, 0);
            break;
        case 3:
        case 4:
            okFlag = source == 3 ? 1 : 0;
            picIndex = 0;
            LoadPic();
            if (v) v->update();
            break;
        case 1:
            // The views show the camera's last frame again, not the picture shown before.
            for (CammerWidget* view : w->cams)
                if (view->isBuilt()) view->ShowWorkingImage();
            break;
        default:
            break;
    }
    ChangePage();
}

void RegiOption::ChangePage() {
    MainWindow* w = window();
    if (!w) return;
    for (CammerWidget* v : w->cams) v->ShowHideTool(0);
    for (BOptionButton* b : {buttons_[BTN_ADD_TEMP - 1], buttons_[BTN_DELETE_TEMP - 1], buttons_[BTN_LIVE_TEMP - 1]})
        b->hide();
    CammerWidget* v = selectedView();
    switch (gSource) {
        case 0:
            if (alarmShown(w)) buttons_[BTN_LIVE_TEMP - 1]->show();
            buttons_[BTN_DELETE_TEMP - 1]->show();
            if (v) v->ShowHideTool(3);
            break;
        case 2:
            buttons_[BTN_ADD_TEMP - 1]->show();
            if (v) v->ShowHideTool(1);
            break;
        case 3:
        case 4:
            if (v) v->ShowHideTool(1);
            break;
        case 1:
            if (alarmShown(w) && w->barStack) w->barStack->setCurrentIndex(2);
            break;
        default:
            break;
    }
}

void RegiOption::ChangeCameraSlot(int camera) {
    MainWindow* w = window();
    if (!w) return;
    if (camera >= numCamera) camera = gSource == 1 ? numCamera : numCamera - 1;
    w->displayedCamera = camera;
    if (w->DisplayState == 3 && gpWPara && gpWPara->show_cavity_no && camera >= 0 && camera < numCamera &&
        w->drawROIWidget)
        w->drawROIWidget->viewCavityBoxes(w->camView(camera), 1);
    w->ChangeCammer();
    ChangeSourceSlot(gSource);
}

void RegiOption::ChangeDetectSlot(int detect) {
    MainWindow* w = window();
    if (!w || !gpWPara || detect < 0 || detect >= gDNum || detect >= kStepCount) return;
    const WizardPara& p = *gpWPara;
    if (w->displayedCamera >= numCamera || w->displayedCamera < 0) return;
    if (gSource == -1 || gSource == 1) return;
    w->copyMode = 0;
    const int mode = p.detect_mode;
    const bool pairs = mode == kDetectTwoColour || mode == kDetectTurntable;
    const int kind = pairs ? (detect & 1) : detect;
    if (kind == 0 && !p.enable_prod_detect) {
        detectList_->setCurrentIndex(1);
        showWarnBox(lanText(118));
        return;
    }
    if (p.enabe_two_test && gSource == 0 && gNoteAllowed) {
        const bool standardLike = mode == kDetectStandard || mode == kDetectAutoParts || mode == kDetectStandardNoRecheck;
        if (standardLike && detect != 0 && p.step_enable[0]) {
            gNoteAllowed = false;
            showWarnBox(lanText(119));
        } else if (pairs && detect > 1) {
            gNoteAllowed = false;
            showWarnBox(lanText(371));
        }
    }
    CammerWidget* v = selectedView();
    if (v) {
        v->data.selectedRoi = -1;
        if (w->drawROIWidget) w->drawROIWidget->viewDeselect(v);
    }
    w->editorStep = detect;
    ChangeSourceSlot(gSource);
    v = selectedView();
    const CammerSingleton* store = v && v->data.workingStore ? v->data.workingStore.get() : nullptr;
    if (store && detect < kStepCount && store->count[detect] == 0 && p.auto_region &&
        showChooseBox(lanText(354)) && w->displayedCamera < numCamera && gSource != -1 && gSource != 1) {
        int tool = w->drawingTool;
        AutogenerationRegion(&v->data, detect, &tool);
        w->drawingTool = tool;
        v->update();
    }
    if (w->DisplayState == 3 && w->drawROIWidget && gpWPara->show_cavity_no)
        w->drawROIWidget->viewCavityBoxes(selectedView(), 2);
}

void RegiOption::LoadPic() {
    MainWindow* w = window();
    recordCamera = cameraList_->currentIndex();
    recordDetect = detectList_->currentIndex();
    if (recordCamera < 0 || recordCamera >= numCamera) recordCamera = 0;
    if (recordDetect < 0 || recordDetect >= gDNum) recordDetect = 0;
    if (!w || recordCamera >= kMaxCamera || recordDetect >= kMaxStep) return;
    const QDir& dir = okFlag ? w->okDir[recordCamera][recordDetect] : w->ngDir[recordCamera][recordDetect];
    const QFileInfoList files = dir.entryInfoList(QStringList{QStringLiteral("*.jpg")}, QDir::Files, QDir::Time);
    picCount = files.size();
    if (files.isEmpty()) {
        picIndex = 0;
        picName.clear();
        return;
    }
    if (picIndex >= picCount) picIndex = picCount - 1;
    if (picIndex < 0) picIndex = 0;
    const QFileInfo& f = files[picIndex];
    picName = f.completeBaseName();
    picture = QImage(f.absoluteFilePath());
}

void RegiOption::SlotTempLast() {
    browse(-1);
}

void RegiOption::SlotTempNext() {
    browse(1);
}

void RegiOption::browse(int direction) {
    MainWindow* w = window();
    CammerWidget* v = selectedView();
    if (!w || !v || w->displayedCamera >= numCamera) return;
    const int step = w->editorStep;
    if (v->data.shownTemplate < 0 || v->data.shownTemplate >= gTempNum || step < 0 || step >= gDNum ||
        step >= kStepCount)
        return;
    switch (gSource) {
        case 0: {
            const std::vector<int>& loaded = v->data.templateLoaded[step];
            const int n = gTempNum;
            int k = v->data.shownTemplate;
            // One pass over the slots at most: without another template the display stays.
            for (int i = 0; i < n; ++i) {
                k = (k + direction + n) % n;
                if (k < int(loaded.size()) && loaded[size_t(k)]) {
                    v->data.shownTemplate = k;
                    showTemplate(v, k);
                    break;
                }
            }
            break;
        }
        case 2: {
            const int n = qMin(v->recentNGCount[step], 3);
            showRecentNG(v, step, n > 0 ? (v->shownRecentNG + direction + n) % n : 0);
            break;
        }
        case 1:
            v->update();
            break;
        case 3:
        case 4:
            if (picCount == 0) return;
            picIndex = (picIndex + direction + picCount) % picCount;
            LoadPic();
            v->update();
            break;
        default:
            break;
    }
}
