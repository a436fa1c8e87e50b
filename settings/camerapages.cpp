#include "camerapages.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "camera/camerahost.h"
#include "camera/camerasettings.h"
#include "camera/cameraslot.h"
#include "settingshost.h"
#include "settingstext.h"
#include "systemsettingwidget.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

CameraPagesHost& cameraPagesHost() {
    static CameraPagesHost host;
    return host;
}

void resetCameraPagesHost() {
    cameraPagesHost() = CameraPagesHost();
}

namespace {
const char* const kValueStyle =
    "font-size:32px;color:#1f3f8d;border-width:0px 0px 2px 0px;border-style:solid;border-color:#1f3f8d;";
const char* const kUnitStyle = "font-size:16px;color:#656263;";
const char* const kTextButtonStyle =
    "QPushButton {   color:#656263;   border-radius: 23px;   border: 2px solid #656263;   text-align: center;"
    "   padding-top: 0px;   padding-bottom: 0px;   padding-left: 0px;   padding-right: 0px;}";
constexpr int kSliderWidth = 600;
constexpr QSize kDetachedSize(1105, 325);
constexpr QPoint kDetachedPos(342, 653);

QSlider* newSlider(int minimum, int maximum, QWidget* parent) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setRange(minimum, maximum);
    s->setFixedWidth(kSliderWidth);
    return s;
}

BlineLabel* newValueLabel(QSlider* slider, const QString& title, QWidget* parent) {
    auto* l = new BlineLabel(slider, parent, title, QString(), 0);
    l->setStyleSheet(QString::fromLatin1(kValueStyle));
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(120);
    l->setText(QString::number(slider->value()));
    return l;
}

QPushButton* iconButton(const char* icon, QSize size, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setIcon(QIcon(QString::fromLatin1(icon)));
    b->setIconSize(size);
    b->setFixedSize(size);
    return b;
}

// Sets a slider without the change signal and shows the value in its label.
void load(QSlider* slider, BlineLabel* label, int value) {
    const bool blocked = slider->blockSignals(true);
    slider->setValue(value);
    slider->blockSignals(blocked);
    if (label) label->setText(QString::number(slider->value()));
}

bool validCamera(int c) {
    return c >= 0 && c < kMaxCamera;
}

// The view the camera pages act on (camera outSet in the main window's view list), or null.
CameraSlot* pageView() {
    return cameraView(outSet);
}
// The record index of that camera: the view's slot (a slot that failed to open leaves a gap in the
// view list), or outSet itself without a view.
int pageCamera() {
    const CameraSlot* v = pageView();
    return v ? v->slot : outSet;
}

struct FunctionRow {
    int textId;
    int32_t WizardPara::*field;
};
// Left column, then right column.
const FunctionRow kFunctionRows[CameraFunctionsWidget::kBoxes] = {
    {388, &WizardPara::auto_shading},          {270, &WizardPara::enable_color_camera},
    {519, &WizardPara::external_trigger},      {196, &WizardPara::enable_defect_detect},
    {198, &WizardPara::enable_ignore_area},    {390, &WizardPara::enable_black_area},
    {397, &WizardPara::enable_similarity},     {583, &WizardPara::enable_direction},
    {337, &WizardPara::prohibit_optimize},     {271, &WizardPara::enable_gray_channel},
    {200, &WizardPara::enable_display_detail}, {197, &WizardPara::enable_spot_detect},
    {199, &WizardPara::enable_manual_edit},    {391, &WizardPara::enable_white_area},
    {520, &WizardPara::enable_white_num},
};
constexpr int kLeftRows = 8;
constexpr int kDisplayAllRow = 10;
}  // namespace

// ---------------------------------------------------------------------------------------------------
// Sub-page

CameraParamsSubWidget::CameraParamsSubWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(QStringLiteral(
        "CameraParamsSubWidget{background-color:#ffffff;}QPushButton{border-style:none;}"
        "QPushButton:unchecked{border-style:none;background-color:#F8F8FF; border-radius:5px;}"
        "QPushButton:checked{color:#ffffff;background-color:#656263;border-radius:5px;border-style:none;}"
        "QLabel{font-size:22px;color:#656263;}"));

    auto* top = new QHBoxLayout;
    top->setSpacing(32);
    top->addSpacing(30);
    titleLabel = new QLabel(setText(128), this);
    top->addWidget(titleLabel);
    top->addStretch();
    auto* cameraIcon = new QLabel(this);
    cameraIcon->setPixmap(
        QPixmap(QStringLiteral(":/img/icons/48.png")).scaledToWidth(56, Qt::SmoothTransformation));
    top->addWidget(cameraIcon);
    top->addWidget(new QLabel(setText(595), this));
    cameraGroup = new QButtonGroup(this);
    cameraGroup->setExclusive(true);
    const char* icons[kCameraPageButtons] = {":/img/icons/60.png", ":/img/icons/62.png", ":/img/icons/64.png",
                                             ":/img/icons/66.png"};
    for (int i = 0; i < kCameraPageButtons; ++i) {
        cameraButtons[i] = iconButton(icons[i], QSize(58, 58), this);
        cameraButtons[i]->setCheckable(true);
        cameraButtons[i]->setObjectName(QStringLiteral("camera%1").arg(i + 1));
        cameraGroup->addButton(cameraButtons[i], i);
        top->addWidget(cameraButtons[i]);
    }
    cameraButtons[0]->setChecked(true);
    for (int i = 1; i < kCameraPageButtons; ++i) cameraButtons[i]->hide();
    top->addSpacing(20);
    restoreButton = new QPushButton(tr("恢复默认"), this);
    restoreButton->setIcon(QIcon(QStringLiteral(":/img/icons/57-1.png")));
    restoreButton->setIconSize(QSize(26, 26));
    // As wide as its caption needs in the language shown (at least 140).
    restoreButton->setStyleSheet(QString::fromLatin1(kTextButtonStyle));
    restoreButton->ensurePolished();
    restoreButton->setFixedSize(qMax(140, restoreButton->sizeHint().width() + 20), 46);
    orderButton = new QPushButton(tr("排序"), this);
    orderButton->setIcon(QIcon(QStringLiteral(":/img/icons/57.png")));
    orderButton->setStyleSheet(QString::fromLatin1(kTextButtonStyle));
    orderButton->ensurePolished();
    orderButton->setFixedSize(qMax(128, orderButton->sizeHint().width() + 20), 46);
    top->addWidget(restoreButton);
    top->addWidget(orderButton);
    top->addStretch();
    viewButton = iconButton(":/img/icons/58.png", QSize(60, 60), this);
    viewButton->setCheckable(true);
    top->addWidget(viewButton);

    exposureSlider = newSlider(1, 100, this);
    gainSlider = newSlider(0, 64, this);
    exposureValue = newValueLabel(exposureSlider, setText(164), this);
    gainValue = newValueLabel(gainSlider, setText(165), this);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(20);
    grid->setHorizontalSpacing(20);
    const struct {
        int textId;
        QSlider* slider;
        BlineLabel* value;
    } rows[] = {{164, exposureSlider, exposureValue}, {165, gainSlider, gainValue}};
    int r = 0;
    for (const auto& row : rows) {
        grid->addWidget(new QLabel(setText(row.textId), this), r, 0);
        grid->addWidget(row.slider, r, 1);
        grid->addWidget(row.value, r, 2);
        auto* unit = new QLabel(this);
        unit->setStyleSheet(QString::fromLatin1(kUnitStyle));
        grid->addWidget(unit, r, 3);
        connect(row.slider, &QSlider::valueChanged, this, &CameraParamsSubWidget::sliderValue);
        ++r;
    }
    grid->setColumnStretch(4, 1);
    previousButton = iconButton(":/img/icons/68.png", QSize(60, 60), this);
    nextButton = iconButton(":/img/icons/69.png", QSize(60, 60), this);
    auto* sliders = new QHBoxLayout;
    sliders->addWidget(previousButton);
    sliders->addSpacing(30);
    sliders->addLayout(grid, 1);
    sliders->addSpacing(30);
    sliders->addWidget(nextButton);

    splitLine = createHorizontalSplitLine(this, QStringLiteral("#d3d3d3"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(50, 50, 50, 50);
    m_layout->setSpacing(0);
    m_layout->addLayout(top);
    m_layout->addSpacing(30);
    m_layout->addWidget(splitLine);
    m_layout->addSpacing(30);
    m_layout->addLayout(sliders);
    displayIndependent(false);

    connect(viewButton, &QPushButton::toggled, this, &CameraParamsSubWidget::viewBtnToggled);
    connect(previousButton, &QPushButton::pressed, this, [this] { stepCamera(-1); });
    connect(nextButton, &QPushButton::pressed, this, [this] { stepCamera(1); });
}

void CameraParamsSubWidget::WizardParaInit() {
    // The checked button names the camera the sliders show (the dialog starts again at camera 1).
    if (outSet >= 0 && outSet < kCameraPageButtons) cameraButtons[outSet]->setChecked(true);
    const WizardPara* w = gpWParaBak;
    const int c = pageCamera();
    if (!w || !validCamera(c)) return;
    load(exposureSlider, exposureValue, w->expose_time[c]);
    load(gainSlider, gainValue, w->adjust_plus[c]);
}

void CameraParamsSubWidget::displayIndependent(bool on) {
    splitLine->setVisible(on);
    previousButton->setVisible(on);
    nextButton->setVisible(on);
}

void CameraParamsSubWidget::showEvent(QShowEvent* event) {
    // One button per camera (camera 1's always): a button past the last camera would highlight a
    // camera that the sliders do not act on.
    for (int i = 1; i < kCameraPageButtons; ++i) cameraButtons[i]->setVisible(i < numCamera);
    BWidget::showEvent(event);
}

void CameraParamsSubWidget::stepCamera(int delta) {
    const int k = cameraGroup->checkedId() + delta;
    if (k < 0 || k >= kCameraPageButtons || k >= numCamera) return;
    cameraButtons[k]->setChecked(true);
    cameraButtons[k]->click();
}

void CameraParamsSubWidget::viewBtnToggled(bool on) {
    if (on == m_detached) return;
    CameraPagesHost& host = cameraPagesHost();
    if (on) {
        if (host.cameraPramsAdjust) host.cameraPramsAdjust(true);
        m_parent = parentWidget();
        if (m_parent && m_parent->layout()) m_parent->layout()->removeWidget(this);
        m_size = size();
        setParent(m_parent, Qt::Dialog | Qt::FramelessWindowHint);
        move(kDetachedPos);
        setFixedSize(kDetachedSize);
        m_layout->setContentsMargins(20, 20, 20, 20);
        viewButton->setIcon(QIcon(QStringLiteral(":/img/icons/67.png")));
        setWindowModality(Qt::WindowModal);
        m_detached = true;
        show();
        displayIndependent(true);
    } else {
        if (host.cameraPramsAdjust) host.cameraPramsAdjust(false);
        hide();
        setWindowModality(Qt::NonModal);
        setParent(m_parent, Qt::Widget);
        if (m_parent)
            if (auto* box = qobject_cast<QVBoxLayout*>(m_parent->layout())) box->insertWidget(0, this);
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (m_size.isValid()) resize(m_size);
        m_layout->setContentsMargins(50, 50, 50, 50);
        m_detached = false;
        displayIndependent(false);  // before showing: the page lays it out without them
        viewButton->setIcon(QIcon(QStringLiteral(":/img/icons/58.png")));
        show();
    }
}

// ---------------------------------------------------------------------------------------------------
// Camera parameters page

CameraParamsWidget::CameraParamsWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(QStringLiteral("QLabel{font-size:22px;color:#656263;}QPushButton{border-style:none;}"));
    subWidget = new CameraParamsSubWidget(this);

    // Divider: a rule with the chevron in its middle (a picture; it does nothing).
    auto* divider = new QHBoxLayout;
    divider->setSpacing(0);
    divider->addWidget(createHorizontalSplitLine(this, QStringLiteral("#d3d3d3")), 1, Qt::AlignVCenter);
    auto* chevron = new QLabel(this);
    chevron->setFixedSize(100, 36);
    chevron->setAlignment(Qt::AlignCenter);
    chevron->setPixmap(QPixmap(QStringLiteral(":/img/icons/4a.png")).scaled(100, 36, Qt::KeepAspectRatio));
    divider->addWidget(chevron);
    divider->addWidget(createHorizontalSplitLine(this, QStringLiteral("#d3d3d3")), 1, Qt::AlignVCenter);

    sharpSlider = newSlider(0, 100, this);
    gammaSlider = newSlider(0, 250, this);
    contrastSlider = newSlider(1, 200, this);
    speedSlider = newSlider(0, 32, this);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(100, 50, 100, 50);
    grid->setVerticalSpacing(40);
    grid->setHorizontalSpacing(0);
    const struct {
        int textId;
        QSlider* slider;
    } rows[] = {{241, sharpSlider}, {364, gammaSlider}, {242, contrastSlider}, {244, speedSlider}};
    int r = 0;
    for (const auto& row : rows) {
        auto* caption = new QLabel(setText(row.textId), this);
        caption->setMinimumWidth(160);
        valueLabels[r] = newValueLabel(row.slider, setText(row.textId), this);
        auto* unit = new QLabel(this);
        unit->setStyleSheet(QString::fromLatin1(kUnitStyle));
        grid->addWidget(caption, r, 0);
        grid->addWidget(row.slider, r, 1);
        grid->addWidget(valueLabels[r], r, 2);
        grid->addWidget(unit, r, 3);
        m_factoryControls << caption << row.slider << valueLabels[r] << unit;
        connect(row.slider, &QSlider::valueChanged, this, &CameraParamsWidget::slotQSliderValue);
        ++r;
    }
    grid->setColumnStretch(4, 1);
    connect(speedSlider, &QSlider::valueChanged, this, [this] { speedMoved_ = true; });
    connect(subWidget->exposureSlider, &QSlider::valueChanged, this, &CameraParamsWidget::slotQSliderValue);
    connect(subWidget->gainSlider, &QSlider::valueChanged, this, &CameraParamsWidget::slotQSliderValue);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(40);
    page->addWidget(subWidget);
    page->addLayout(divider);
    page->addLayout(grid);
    page->addStretch();
}

void CameraParamsWidget::slotQSliderValue(int value) {
    const QObject* s = sender();
    BlineLabel* label = nullptr;
    if (s == subWidget->exposureSlider) label = subWidget->exposureValue;
    if (s == subWidget->gainSlider) label = subWidget->gainValue;
    const QSlider* mine[4] = {sharpSlider, gammaSlider, contrastSlider, speedSlider};
    for (int i = 0; i < 4; ++i)
        if (s == mine[i]) label = valueLabels[i];
    if (label) label->setText(QString::number(value));
}

void CameraParamsWidget::WizardParaInit() {
    const WizardPara* w = gpWParaBak;
    const int c = pageCamera();
    if (!w || !validCamera(c)) return;
    load(sharpSlider, valueLabels[0], w->sharp[c]);
    load(gammaSlider, valueLabels[1], w->gamma[c]);
    load(contrastSlider, valueLabels[2], w->contrast[c]);
    loadSpeed(w->capture_speed);
}

void CameraParamsWidget::loadSpeed(int value) {
    load(speedSlider, valueLabels[3], value);
    speedMoved_ = false;
}

void CameraParamsWidget::accept() {
    // Only a speed the operator set is stored: an unmoved slider keeps the stored value, even one
    // outside the slider's range.
    if (gpWParaBak && speedMoved_) gpWParaBak->capture_speed = speedSlider->value();
}

void CameraParamsWidget::showEvent(QShowEvent* event) {
    const bool shown = !factoryShown || factoryShown();
    for (QWidget* w : m_factoryControls) w->setVisible(shown);
    BWidget::showEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Camera functions page

CameraFunctionsWidget::CameraFunctionsWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(QStringLiteral("QLabel{font-size:22px;color:#656263;}"));
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(100, 50, 100, 50);
    columns->setSpacing(20);
    QVBoxLayout* column = nullptr;
    for (int i = 0; i < kBoxes; ++i) {
        if (i == 0 || i == kLeftRows) {
            if (column) column->addStretch();
            column = new QVBoxLayout;
            column->setSpacing(20);
            columns->addLayout(column, 1);
        }
        auto* row = new QHBoxLayout;
        labels[i] = new QLabel(setText(kFunctionRows[i].textId), this);
        labels[i]->setWordWrap(true);
        boxes[i] = new CheckBox(this);
        row->addWidget(labels[i], 1);
        row->addWidget(boxes[i]);
        row->addSpacing(40);
        column->addLayout(row);
    }
    column->addStretch();
    wdrBox = boxes[0];
}

CheckBox* CameraFunctionsWidget::box(int textId) const {
    for (int i = 0; i < kBoxes; ++i)
        if (kFunctionRows[i].textId == textId) return boxes[i];
    return nullptr;
}

void CameraFunctionsWidget::WizardParaInit() {
    const WizardPara* w = gpWParaBak;
    if (!w) return;
    for (int i = 0; i < kBoxes; ++i) {
        const bool blocked = boxes[i]->blockSignals(true);
        boxes[i]->setValue(w->*kFunctionRows[i].field);
        boxes[i]->blockSignals(blocked);
    }
}

void CameraFunctionsWidget::accept() {
    WizardPara* w = gpWParaBak;
    if (!w) return;
    // A ticked box keeps a stored non-zero value as it is (automatic shading stores the check state 2).
    auto store = [&](int i) {
        int32_t& f = w->*kFunctionRows[i].field;
        f = boxes[i]->isChecked() ? (f != 0 ? f : 1) : 0;
    };
    for (int i = 0; i < kBoxes; ++i)
        if (i != kDisplayAllRow) store(i);
    if (w->enable_spot_detect || w->enable_white_area || w->enable_black_area || w->enable_white_num ||
        w->enable_direction)
        boxes[kDisplayAllRow]->setChecked(true);
    store(kDisplayAllRow);
}

void CameraFunctionsWidget::showEvent(QShowEvent* event) {
    const bool shown = !factoryShown || factoryShown();
    for (int i = 0; i < kBoxes; ++i) {
        labels[i]->setVisible(shown);
        boxes[i]->setVisible(shown);
    }
    BWidget::showEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// The settings dialog's camera slots

void SystemSettingWidget::connectCameraPages() {
    CameraParamsSubWidget* sub = cameraParamsSub;
    auto factory = [this] { return factoryParamShown(); };
    cameraParams->factoryShown = factory;
    cameraFunctions->factoryShown = factory;
    for (QPushButton* b : sub->cameraButtons)
        connect(b, SIGNAL(clicked(bool)), this, SLOT(SlotChangeCamera()));
    connect(sub->restoreButton, SIGNAL(clicked()), this, SLOT(SlotRestoreDefaultSettings()));
    connect(sub->orderButton, SIGNAL(clicked()), this, SLOT(SlotTuneCamera()));
    connect(sub->exposureSlider, SIGNAL(valueChanged(int)), this, SLOT(SetExposeTime(int)));
    connect(sub->gainSlider, SIGNAL(valueChanged(int)), this, SLOT(SetAdjust(int)));
    connect(cameraParams->sharpSlider, SIGNAL(valueChanged(int)), this, SLOT(SetSharp(int)));
    connect(cameraParams->contrastSlider, SIGNAL(valueChanged(int)), this, SLOT(SetContrast(int)));
    connect(cameraParams->gammaSlider, SIGNAL(valueChanged(int)), this, SLOT(SetGamma(int)));
    connect(cameraFunctions->wdrBox, SIGNAL(stateChanged(int)), this, SLOT(SetAutoWDR(int)));
    // While the sub-page floats over the live picture, exposure and gain still read the working copy.
    QPointer<CameraParamsSubWidget> guard(sub);
    cameraHost().cameraPageVisible = [guard] { return guard && guard->detached() && guard->isVisible(); };
}

namespace {
// Writes `v` into the working copy's array element of the page's camera, then applies it.
void setPageValue(int32_t (WizardPara::*array)[kMaxCamera], int v, void (CameraSlot::*apply)()) {
    const int c = pageCamera();
    if (!gpWParaBak || !validCamera(c)) return;
    (gpWParaBak->*array)[c] = v;
    if (CameraSlot* view = pageView()) (view->*apply)();
}
}  // namespace

void SystemSettingWidget::SetExposeTime(int v) {
    setPageValue(&WizardPara::expose_time, v, &CameraSlot::SetExposeTime);
}
void SystemSettingWidget::SetAdjust(int v) {
    setPageValue(&WizardPara::adjust_plus, v, &CameraSlot::SetAdjustPlus);
}
void SystemSettingWidget::SetSharp(int v) {
    setPageValue(&WizardPara::sharp, v, &CameraSlot::SetSharp);
}
void SystemSettingWidget::SetContrast(int v) {
    setPageValue(&WizardPara::contrast, v, &CameraSlot::SetContrast);
}
void SystemSettingWidget::SetGamma(int v) {
    setPageValue(&WizardPara::gamma, v, &CameraSlot::SetGamma);
}

void SystemSettingWidget::SetAutoExp(int state) {
    if (!gpWParaBak) return;
    gpWParaBak->auto_exposure = state;
    for (int i = 0; i < cameraViewCount(); ++i)
        if (CameraSlot* v = cameraView(i)) v->SetExposeTime();
}

void SystemSettingWidget::SetAutoWDR(int state) {
    if (!gpWParaBak) return;
    gpWParaBak->auto_shading = state;
    for (int i = 0; i < cameraViewCount(); ++i)
        if (CameraSlot* v = cameraView(i)) v->SetExposeTime();
}

void SystemSettingWidget::reloadCameraSliders(bool withSpeed) {
    const WizardPara* w = gpWParaBak;
    const int c = pageCamera();
    if (!w || !validCamera(c)) return;
    // Loaded without the change signal: showing a camera's values writes nothing. A stored value
    // outside a slider's range is shown clamped and kept until the operator moves that slider.
    CameraParamsSubWidget* sub = cameraParamsSub;
    CameraParamsWidget* page = cameraParams;
    load(sub->exposureSlider, sub->exposureValue, w->expose_time[c]);
    load(sub->gainSlider, sub->gainValue, w->adjust_plus[c]);
    load(page->sharpSlider, page->valueLabels[0], w->sharp[c]);
    load(page->gammaSlider, page->valueLabels[1], w->gamma[c]);
    load(page->contrastSlider, page->valueLabels[2], w->contrast[c]);
    if (withSpeed) page->loadSpeed(w->capture_speed);
}

void SystemSettingWidget::SlotChangeCamera() {
    if (numCamera == 1) return;
    for (int i = 0; i < kCameraPageButtons; ++i)
        if (sender() == cameraParamsSub->cameraButtons[i]) outSet = i;
    if (cameraPagesHost().showCamera) cameraPagesHost().showCamera(outSet);
    reloadCameraSliders(false);
    update();
}

void SystemSettingWidget::SlotRestoreDefaultSettings() {
    if (!showChooseBox(setText(527))) return;
    if (CameraSlot* v = pageView()) v->RestoreDefaultSettings();
    reloadCameraSliders(true);
}

void SystemSettingWidget::SlotChangeShowMode() {
    cameraShowMode = !cameraShowMode;
    if (cameraShowMode && cameraPagesHost().showCamera) cameraPagesHost().showCamera(outSet);
    update();
    if (settingsHost().repaintViews) settingsHost().repaintViews();
}

void SystemSettingWidget::SlotAutoExposeTime() {
    if (!autoExposeTimer) {
        autoExposeTimer = new QTimer(this);
        autoExposeTimer->setSingleShot(true);
        connect(autoExposeTimer, &QTimer::timeout, this, &SystemSettingWidget::SlotAutoExposeTimeTimeout);
    }
    autoExposeTimer->start(2000);
    if (gCameraID == kCameraMindVision)
        if (CameraSlot* v = pageView()) v->StartAutoExposure();
}

void SystemSettingWidget::SlotAutoExposeTimeTimeout() {
    if (autoExposeTimer) autoExposeTimer->stop();
    if (gCameraID != kCameraMindVision) return;
    CameraSlot* v = pageView();
    const int c = pageCamera();
    int exposeMs = 0, gain = 0;
    if (!v || !gpWParaBak || !validCamera(c) || !v->StopAutoExposure(&exposeMs, &gain)) return;
    gpWParaBak->expose_time[c] = exposeMs;
    gpWParaBak->adjust_plus[c] = gain;
    cameraParamsSub->exposureSlider->setValue(exposeMs);
    cameraParamsSub->gainSlider->setValue(gain);
}

void SystemSettingWidget::SlotTuneCamera() {
    // The order dialog closes the settings and ends in a restart: edits not yet committed are saved
    // or dropped first, as the operator answers; a refused value keeps the dialog open.
    if (commitEdits() == CommitResult::Refused) return;
    if (cameraPagesHost().showCameraOrder) cameraPagesHost().showCameraOrder();
}

// ---------------------------------------------------------------------------------------------------
// The camera half of the commit

CameraCommit cameraCommitBegin() {
    CameraCommit c;
    const WizardPara* live = gpWPara;
    const WizardPara* work = gpWParaBak;
    if (!live || !work) return c;
    c.triggerChanged = live->external_trigger != work->external_trigger;
    c.speedChanged = live->capture_speed != work->capture_speed;
    c.positioningChanged =
        live->enable_correct != work->enable_correct || live->match_angle != work->match_angle;
    c.cavityChanged = live->cavity_pos != work->cavity_pos;
    c.marginChanged = live->location_adge != work->location_adge;
    c.sameParamsChanged = live->enabe_two_test != work->enabe_two_test;
    c.productChanged = live->enable_prod_detect != work->enable_prod_detect;
    c.amplifyChanged = live->difference_multiplier != work->difference_multiplier;
    return c;
}

void applyCameraCommit(const CameraCommit& commit) {
    if (commit.triggerChanged)
        for (int i = 0; i < cameraViewCount(); ++i)
            if (CameraSlot* v = cameraView(i)) v->CameraChangeTrig(false);
    if (commit.speedChanged) CameraSetSpeed();
    if (cameraPagesHost().rebuildModels) cameraPagesHost().rebuildModels(commit);
}

void restoreCameraValues() {
    if (!gpWPara || !gpWParaBak) return;
    const WizardPara edited = *gpWParaBak;
    *gpWParaBak = *gpWPara;
    const WizardPara& live = *gpWPara;
    for (int i = 0; i < cameraViewCount(); ++i) {
        CameraSlot* v = cameraView(i);
        if (!v || !validCamera(v->slot)) continue;
        const int c = v->slot;
        if (edited.expose_time[c] != live.expose_time[c] || edited.auto_exposure != live.auto_exposure ||
            edited.auto_shading != live.auto_shading)
            v->SetExposeTime();
        if (edited.adjust_plus[c] != live.adjust_plus[c]) v->SetAdjustPlus();
        if (edited.sharp[c] != live.sharp[c]) v->SetSharp();
        if (edited.contrast[c] != live.contrast[c]) v->SetContrast();
        if (edited.gamma[c] != live.gamma[c]) v->SetGamma();
    }
}
