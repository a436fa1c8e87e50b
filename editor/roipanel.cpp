// The region parameter panel of a camera view, the cavity check boxes, and the copying of regions
// between the steps that share them.
#include <QLabel>
#include <QSignalBlocker>

#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "detect/cammerrecong.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "vieweditor.h"
#include "widgets/fittext.h"
#include "widgets/checkbox.h"
#include "widgets/indexbutton.h"
#include "widgets/slider.h"

namespace {
constexpr int kFuncCount = 9;
constexpr int kFuncNameId[kFuncCount] = {25, 15, 17, 21, 392, 393, 398, 521, 561};
constexpr int kSpotDefaultPara1 = 50 << 8;  // low byte 0, high byte 50

constexpr int kRowH = 45;  // slider row
constexpr int kRowGap = 5;
constexpr int kButtonRowH = 52;
constexpr int kPanelX = 400;
constexpr int kPanelRight = 1386;
constexpr int kBottomKeep = 70;   // the panel stays this far above the display's lower edge
constexpr int kHandleClear = 20;  // and clear of the handles around the region's edge
// The move buttons: a row of five in the kept strip at the display's foot, whole on the screen,
// between the template legend (x 10 to 184) and the login indicator that the main window lays below
// the views (x 700 to 900 of the window), so that a tap on "Move R" or "Hide Set" never logs the
// operator out; the drawing panel keeps the corner right of x 950.
constexpr int kMoveRowX = 186;
constexpr int kMoveStep = 102;
constexpr int kMoveW = 100;
constexpr int kMoveH = 60;

// A cavity box answers a touch anywhere on it, not only on its small indicator.
class CavityBox : public CheckBox {
public:
    using CheckBox::CheckBox;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

struct SliderSpec {
    bool shown;
    int label;
    int min, max;
};
struct PanelSpec {
    SliderSpec first, sens, area;
};
// What each function type shows on the three sliders.
PanelSpec panelSpec(int func) {
    switch (func) {
        case kFuncSpot:
            return {{true, 10, 0, 255}, {true, 13, 0, 99999}, {true, 14, 0, 99999}};
        case kFuncIgnore:
            return {{true, 16, 0, 255}, {true, 16, 0, 255}, {true, 16, 0, 255}};
        case kFuncPosition:
            return {{true, 20, 1, 100}, {true, 16, 1, 32}, {true, 16, 1, 100}};
        case kFuncBlack:
            return {{false, 22, 1, 10}, {true, 11, 0, 255}, {true, 24, 0, 50000}};
        case kFuncWhite:
            return {{false, 22, 1, 10}, {true, 10, 0, 255}, {true, 24, 0, 50000}};
        case kFuncSimilarity:
            return {{false, 22, 1, 10}, {true, 362, 0, 100}, {false, 24, 0, 1000}};
        case kFuncWhiteCount:
            return {{true, 22, 1, 100}, {true, 10, 0, 255}, {true, 522, 0, 100}};
        case kFuncDirection:
            return {{true, 22, 0, 1}, {true, 13, 0, 50000}, {true, 14, 0, 50000}};
        default:
            return {{true, 22, 1, 10}, {true, 23, 0, 255}, {true, 24, 0, 1000}};
    }
}

int enabledCount(const WizardPara& p) {
    int n = 0;
    for (int f = 0; f < kFuncCount; ++f) n += functionEnabled(p, f) ? 1 : 0;
    return n;
}
}  // namespace

bool functionEnabled(const WizardPara& p, int func) {
    switch (func) {
        case kFuncDefect:
            return p.enable_defect_detect != 0;
        case kFuncSpot:
            return p.enable_spot_detect != 0;
        case kFuncIgnore:
            return p.enable_ignore_area != 0;
        case kFuncPosition:
            return p.enable_manual_edit != 0;
        case kFuncBlack:
            return p.enable_black_area != 0;
        case kFuncWhite:
            return p.enable_white_area != 0;
        case kFuncSimilarity:
            return p.enable_similarity != 0;
        case kFuncWhiteCount:
            return p.enable_white_num != 0;
        case kFuncDirection:
            return p.enable_direction != 0;
        default:
            return false;
    }
}

RegionDefaults functionDefaults(int func) {
    switch (func) {
        case kFuncSpot:
            return {kFuncSpot, kSpotDefaultPara1, 80, 500};
        case kFuncIgnore:
            return {kFuncIgnore, 5, 25, 100};
        case kFuncPosition:
            return {kFuncPosition, 10, 10, 10};
        case kFuncBlack:
            return {kFuncBlack, -1, 50, 100};
        case kFuncWhite:
            return {kFuncWhite, -1, 200, 100};
        case kFuncSimilarity:
            return {kFuncSimilarity, -1, 80, -1};
        case kFuncWhiteCount:
            return {kFuncWhiteCount, 1, 128, 100};
        case kFuncDirection:
            return {kFuncDirection, 1, 5000, 10000};
        default:
            return {kFuncDefect, 5, 25, 100};
    }
}

RegionDefaults firstRegionDefaults(const WizardPara& p, bool rectOrRing) {
    if (functionEnabled(p, kFuncSpot)) return functionDefaults(kFuncSpot);
    if (functionEnabled(p, kFuncBlack)) return functionDefaults(kFuncBlack);
    if (functionEnabled(p, kFuncWhite)) return functionDefaults(kFuncWhite);
    if (functionEnabled(p, kFuncSimilarity)) return functionDefaults(kFuncSimilarity);
    if (functionEnabled(p, kFuncWhiteCount)) return {kFuncWhiteCount, 5, 128, 1};
    if (rectOrRing && functionEnabled(p, kFuncDirection)) return functionDefaults(kFuncDirection);
    // A region never gets a function that is switched off while another one is on.
    if (!functionEnabled(p, kFuncDefect)) {
        if (functionEnabled(p, kFuncIgnore)) return functionDefaults(kFuncIgnore);
        if (functionEnabled(p, kFuncPosition)) return functionDefaults(kFuncPosition);
    }
    return functionDefaults(kFuncDefect);
}

int nextEnabledFunction(const WizardPara& p, int current) {
    const int from = current >= 0 && current < kFuncCount ? current : -1;
    for (int k = 1; k <= kFuncCount; ++k) {
        const int f = (from + k + kFuncCount) % kFuncCount;
        if (functionEnabled(p, f)) return f;
    }
    return current;
}

void copySharedSteps(CammerSingleton& s, cv::Mat (&masks)[kStepCount][kRoiCount], int mode) {
    auto copyStep = [&](int from, int to) {
        s.count[to] = s.count[from];
        for (int r = 0; r < kRoiCount; ++r) {
            s.rect[to][r] = s.rect[from][r];
            s.rect[to][r].SetSelected(false);
            s.circle[to][r] = s.circle[from][r];
            s.circle[to][r].SetSelected(false);
            s.polygon[to][r] = s.polygon[from][r];
            s.polygon[to][r].SetSelected(false);
            masks[to][r] = masks[from][r];
            s.shape[to][r] = s.shape[from][r];
            s.para1[to][r] = s.para1[from][r];
            s.sens[to][r] = s.sens[from][r];
            s.area[to][r] = s.area[from][r];
            s.func[to][r] = s.func[from][r];
        }
    };
    switch (mode) {
        case kDetectTwoColour:
        case kDetectTurntable:
            copyStep(1, 3);
            copyStep(0, 2);
            break;
        case kDetectStandard:
        case kDetectAutoParts:
        case kDetectStandardNoRecheck:
            copyStep(0, 1);
            break;
        default:
            break;
    }
}

void ViewEditor::CopyPara() {
    if (!v_->data.savedStore || !gpWPara) return;
    copySharedSteps(*v_->data.savedStore, v_->data.savedMasks, gpWPara->detect_mode);
}

// ---------------------------------------------------------------------------------------------------
// The panel

namespace {
int moveRowY() {
    return (gShowH > 0 ? gShowH : 982) - kBottomKeep + (kBottomKeep - kMoveH) / 2;
}
}  // namespace

void ViewEditor::buildPanel() {
    QWidget* parent = v_;
    firstSlider = new Slider(0, 10, 1, 25, parent);
    sensSlider = new Slider(0, 255, 1, 25, parent);
    areaSlider = new Slider(0, 1000, 1, 50, parent);
    connect(firstSlider, &Slider::valueChanged, this, &ViewEditor::SlotMinWH);
    connect(sensSlider, &Slider::valueChanged, this, &ViewEditor::SlotSensitivity);
    connect(areaSlider, &Slider::valueChanged, this, &ViewEditor::SlotArea);

    funcLabel = new QLabel(lanText(2), parent);
    funcLabel->setAlignment(Qt::AlignCenter);
    funcLabel->setStyleSheet(QStringLiteral("color:#00ff00;font-size:30px;"));
    fitCaption(funcLabel, funcLabel->text(), 80, 30);
    funcButton = new ColorButton(QString(), parent, 3);
    connect(funcButton, &ColorButton::clicked, this, &ViewEditor::SlotChangeFunc);
    greyButton = new ColorButton(lanText(3), parent, 3);
    connect(greyButton, &ColorButton::clicked, this, &ViewEditor::SlotChangeParaSow);
    outBox = new ComboBox(parent);
    for (int i = 0; i < 4; ++i) outBox->addItem(QStringLiteral("N%1").arg(i + 1), i);
    outBox->setItemHeight(50);
    QFont f = outBox->font();
    f.setPixelSize(20);
    outBox->setFont(f);
    connect(outBox, QOverload<int>::of(&ComboBox::currentIndexChanged), this, &ViewEditor::SlotOutN);
    nextButton = new ColorButton(lanText(4), parent, 3);
    connect(nextButton, &ColorButton::clicked, this, &ViewEditor::SlotNextROI);
    partButton = new ColorButton(QString(), parent, 3);
    connect(partButton, &ColorButton::clicked, this, &ViewEditor::SlotChangeObject);
    void (ViewEditor::*sizeSlots[4])() = {&ViewEditor::SlotAdd10, &ViewEditor::SlotAdd1,
                                          &ViewEditor::SlotSub1, &ViewEditor::SlotSub10};
    for (int i = 0; i < 4; ++i) {
        sizeButtons[i] = new ColorButton(QString(), parent, 3);
        sizeButtons[i]->SetRepeat();
        connect(sizeButtons[i], &ColorButton::clicked, this, sizeSlots[i]);
    }
    void (ViewEditor::*moveSlots[4])() = {&ViewEditor::SlotMoveT, &ViewEditor::SlotMoveB,
                                          &ViewEditor::SlotMoveL, &ViewEditor::SlotMoveR};
    for (int i = 0; i < 4; ++i) {
        moveButtons[i] = new ColorButton(lanText(5 + i), parent, 5);
        moveButtons[i]->SetRepeat();
        moveButtons[i]->setGeometry(kMoveRowX + kMoveStep * i, moveRowY(), kMoveW, kMoveH);
        connect(moveButtons[i], &ColorButton::clicked, this, moveSlots[i]);
    }
    moveModeButton = new ColorButton(lanText(12), parent, 5);
    moveModeButton->setGeometry(kMoveRowX + kMoveStep * 4, moveRowY(), kMoveW, kMoveH);
    connect(moveModeButton, &ColorButton::clicked, this, &ViewEditor::SlotMoveAll);
    for (int i = 0; i < 8; ++i) {
        cavityBoxes[i] = new CavityBox(parent, lanText(460 + i));
        cavityBoxes[i]->setGeometry(450 + 155 * i, 35, 145, 75);
        cavityBoxes[i]->hide();
        connect(cavityBoxes[i], &CheckBox::clicked, this, [this, i] { SlotClickCheckBox(i); });
    }
    for (QWidget* wdg :
         std::initializer_list<QWidget*>{firstSlider, sensSlider, areaSlider, funcLabel, funcButton,
                                         greyButton, outBox, nextButton, partButton, moveModeButton})
        wdg->hide();
    for (ColorButton* b : sizeButtons) b->hide();
    for (ColorButton* b : moveButtons) b->hide();
    for (QWidget* wdg :
         std::initializer_list<QWidget*>{firstSlider, sensSlider, areaSlider, funcLabel, funcButton,
                                         greyButton, outBox, nextButton, partButton, moveModeButton})
        panelWidgets_.append(wdg);
    for (QWidget* wdg : sizeButtons) panelWidgets_.append(wdg);
    for (QWidget* wdg : moveButtons) panelWidgets_.append(wdg);
    for (QWidget* wdg : cavityBoxes) panelWidgets_.append(wdg);
}

int ViewEditor::partCount() const {
    const int r = v_->data.selectedRoi;
    if (!store() || r < 0 || r >= kRoiCount) return 1;
    switch (store()->shape[step()][r]) {
        case kShapeRect:
            return 2;
        case kShapeRing:
            return 3;
        case kShapePolygon:
            return std::max(1, int(store()->polygon[step()][r].count));
        default:
            return 1;
    }
}

void ViewEditor::placePanel(bool allParams) {
    const int r = v_->data.selectedRoi;
    // The region as drawn (its image box scaled back can end a few pixels short of it on a small
    // picture, and the panel must leave the region's lower handles free).
    const CammerSingleton& s = *store();
    const int d = step();
    QRect box;
    switch (s.shape[d][r]) {
        case kShapeRect:
            box = s.rect[d][r].rect;
            break;
        case kShapeRing:
            box = s.circle[d][r].rect;
            break;
        case kShapePolygon: {
            const RePolygon& poly = s.polygon[d][r];
            for (int i = 0; i < poly.count && i < kMaxPolygonPoints; ++i)
                box = box.isNull() ? QRect(poly.pts[i], poly.pts[i])
                                   : box.united(QRect(poly.pts[i], poly.pts[i]));
            break;
        }
        default:
            break;
    }
    const QRect img = s.imageRect(d, r);
    const int lower = std::max(box.bottom(), int(img.bottom() * gShowAH));
    const int upper = box.isNull() ? int(img.top() * gShowAH) : std::min(box.top(), int(img.top() * gShowAH));
    const int panelH = allParams ? 204 : 102;
    const int below = lower + 5 + kHandleClear;
    int top = below;
    if (below + panelH > gShowH - kBottomKeep) {
        const int above = upper - kHandleClear - panelH;
        top = above >= 0 ? above : gShowH - kBottomKeep - panelH;
    }
    const int sliderW = gShowW / 2 + 424 - kPanelX;
    int y = top;
    for (Slider* s : {sensSlider, areaSlider, firstSlider}) {
        if (!s->isVisibleTo(v_)) continue;
        s->setGeometry(kPanelX, y, sliderW, kRowH);
        y += kRowH + kRowGap;
    }
    // The button row, left to right, skipping hidden buttons.
    struct Item {
        QWidget* w;
        int width;
    } items[] = {{funcLabel, 80},      {funcButton, 130},   {greyButton, 120},    {outBox, 90},
                 {nextButton, 120},    {partButton, 120},   {sizeButtons[0], 75}, {sizeButtons[1], 75},
                 {sizeButtons[2], 75}, {sizeButtons[3], 75}};
    int x = kPanelX;
    for (const Item& it : items) {
        if (!it.w->isVisibleTo(v_)) continue;
        const int wdt = std::min(it.width, kPanelRight - x);
        it.w->setGeometry(x, y, wdt, kButtonRowH);
        it.w->raise();
        x += wdt + 4;
    }
    for (Slider* s : {sensSlider, areaSlider, firstSlider}) s->raise();
}

void ViewEditor::ShowHideROIPara() {
    QWidget* all[] = {firstSlider,    sensSlider,     areaSlider,    funcLabel,  funcButton,
                      greyButton,     outBox,         nextButton,    partButton, sizeButtons[0],
                      sizeButtons[1], sizeButtons[2], sizeButtons[3]};
    greyHigh = false;
    v_->data.testShown = false;
    const int r = v_->data.selectedRoi;
    const bool selected = editable() && r >= 0 && r < store()->count[step()] && gSource == 0;
    if (!selected) {
        for (QWidget* wdg : all) wdg->hide();
        for (ColorButton* b : moveButtons) b->hide();
        moveModeButton->hide();
        v_->moveMode = 0;
        v_->editPart = 0;
        moveModeButton->setText(lanText(12));
        return;
    }
    const CammerSingleton& s = *store();
    const int d = step();
    const int func = s.func[d][r];
    const PanelSpec spec = panelSpec(func);
    {
        const QSignalBlocker b1(firstSlider), b2(sensSlider), b3(areaSlider);
        const int first = func == kFuncSpot ? (s.para1[d][r] & 0xFF) : s.para1[d][r];
        firstSlider->Reset(spec.first.min, spec.first.max, 1, first, lanText(spec.first.label));
        sensSlider->Reset(spec.sens.min, spec.sens.max, 1, s.sens[d][r], lanText(spec.sens.label));
        areaSlider->Reset(spec.area.min, spec.area.max, 1, s.area[d][r], lanText(spec.area.label));
    }
    funcButton->setText(lanText(func >= 0 && func < kFuncCount ? kFuncNameId[func] : 25));
    for (ColorButton* b : moveButtons) b->show();
    moveModeButton->show();
    moveModeButton->setText(lanText(v_->moveMode == 0 ? 12 : v_->moveMode == 1 ? 32 : 34));
    if (v_->moveMode != 0) {
        for (QWidget* wdg : all) wdg->hide();
        for (ColorButton* b : moveButtons) b->raise();
        moveModeButton->raise();
        return;
    }
    const WizardPara* p = gpWPara;
    const bool allParams = p && p->enable_display_detail;
    firstSlider->setVisible(allParams && spec.first.shown);
    areaSlider->setVisible(allParams && spec.area.shown);
    sensSlider->show();
    const bool manyFuncs = p && enabledCount(*p) > 1;
    funcLabel->setVisible(manyFuncs);
    funcButton->setVisible(manyFuncs);
    greyButton->setVisible(func == kFuncSpot);
    partButton->show();
    nextButton->show();
    for (ColorButton* b : sizeButtons) b->show();
    const bool outShown = d == 0 && p && p->enable_stop_not_alarm;
    if (outShown) {
        const QSignalBlocker block(outBox);
        outBox->setCurrentIndex(qBound(0, s.outN[r], 3));
    }
    outBox->setVisible(outShown);

    const int shape = s.shape[d][r];
    if (v_->editPart < 0 || v_->editPart >= partCount()) v_->editPart = 0;
    const int part = v_->editPart;
    const bool radius = shape == kShapeRing && (part == 0 || part == 1);
    static const char* const kRadius[4] = {"+10", "+1", "-1", "-10"};
    static const char* const kAxis[4] = {"Y -1", "X -1", "Y +1", "X +1"};
    for (int i = 0; i < 4; ++i) sizeButtons[i]->setText(QString::fromLatin1(radius ? kRadius[i] : kAxis[i]));
    QString partText;
    if (shape == kShapeRect)
        partText = lanText(part == 1 ? 29 : 30);
    else if (shape == kShapeRing)
        partText = lanText(part == 1 ? 26 : part == 2 ? 27 : 28);
    else
        partText = lanText(31).arg(part + 1);
    partButton->setText(partText);
    placePanel(allParams);
    for (ColorButton* b : moveButtons) b->raise();
    moveModeButton->raise();
}

void ViewEditor::retest() {
    const int r = v_->data.selectedRoi;
    if (v_->recong && editable() && r >= 0) v_->recong->RunTest(step(), r);
    v_->data.testShown = true;
    v_->update();
}

void ViewEditor::SlotMinWH(int value) {
    const int r = v_->data.selectedRoi;
    if (!editable() || r < 0 || r >= store()->count[step()]) return;
    int32_t& p1 = store()->para1[step()][r];
    if (store()->func[step()][r] == kFuncSpot)
        p1 = greyHigh ? ((p1 & 0xFF) | ((value & 0xFF) << 8)) : ((p1 & ~0xFF) | (value & 0xFF));
    else
        p1 = value;
    retest();
}

void ViewEditor::SlotSensitivity(int value) {
    const int r = v_->data.selectedRoi;
    if (!editable() || r < 0 || r >= store()->count[step()]) return;
    store()->sens[step()][r] = value;
    retest();
}

void ViewEditor::SlotArea(int value) {
    const int r = v_->data.selectedRoi;
    if (!editable() || r < 0 || r >= store()->count[step()]) return;
    store()->area[step()][r] = value;
    retest();
}

void ViewEditor::SlotOutN(int i) {
    const int r = v_->data.selectedRoi;
    if (!editable() || step() != 0 || r < 0 || r >= store()->count[0] || i < 0 || i > 3) return;
    store()->outN[r] = i;
}

void ViewEditor::SlotChangeParaSow() {
    const int r = v_->data.selectedRoi;
    if (!editable() || r < 0 || r >= store()->count[step()]) return;
    greyHigh = !greyHigh;
    if (store()->func[step()][r] != kFuncSpot) return;
    const int p1 = store()->para1[step()][r];
    const QSignalBlocker block(firstSlider);
    firstSlider->Reset(0, 255, 1, greyHigh ? (p1 >> 8) & 0xFF : p1 & 0xFF, lanText(greyHigh ? 11 : 10));
}

void ViewEditor::SlotChangeFunc() {
    const int r = v_->data.selectedRoi;
    if (!editable() || !gpWPara || r < 0 || r >= store()->count[step()]) return;
    CammerSingleton& s = *store();
    const int d = step();
    const int f = nextEnabledFunction(*gpWPara, s.func[d][r]);
    if (f != s.func[d][r]) {
        const RegionDefaults def = functionDefaults(f);
        s.func[d][r] = def.func;
        if (def.para1 >= 0) s.para1[d][r] = def.para1;
        if (def.sens >= 0) s.sens[d][r] = def.sens;
        if (def.area >= 0) s.area[d][r] = def.area;
    }
    ShowHideROIPara();
    v_->update();
}

void ViewEditor::SlotChangeObject() {
    if (v_->data.selectedRoi < 0) return;
    v_->editPart = (v_->editPart + 1) % partCount();
    ShowHideROIPara();
    v_->update();
}

void ViewEditor::SlotSize(int b) {
    const int r = v_->data.selectedRoi;
    if (!editable() || r < 0 || r >= store()->count[step()] || b < 0 || b > 3) return;
    CammerSingleton& s = *store();
    const int d = step();
    const int part = v_->editPart;
    static const QPoint kAxisStep[4] = {{0, -1}, {-1, 0}, {0, 1}, {1, 0}};
    static const int kRadiusStep[4] = {10, 1, -1, -10};
    switch (s.shape[d][r]) {
        case kShapeRect: {
            QRect& rc = s.rect[d][r].rect;
            const QPoint st = kAxisStep[b];
            if (part == 0)
                rc.setTopLeft(rc.topLeft() + st);
            else
                rc.setBottomRight(rc.bottomRight() + st);
            CheckInRange(&rc, false);
            break;
        }
        case kShapeRing: {
            Circle& c = s.circle[d][r];
            if (part == 0) {
                c.rIn = std::clamp(c.rIn + kRadiusStep[b], 0, std::max(0, int(c.r)));
            } else {
                if (part == 1)
                    c.r = std::max(0, c.r + kRadiusStep[b]);
                else {
                    c.cx += kAxisStep[b].x();
                    c.cy += kAxisStep[b].y();
                }
                c.rect.setCoords(c.cx - c.r, c.cy - c.r, c.cx + c.r - 1, c.cy + c.r - 1);
                CheckInRange(&c.rect, false);
                const int rIn = c.rIn;
                c.UpdateAll();
                c.rIn = std::clamp(rIn, 0, std::max(0, int(c.r)));
            }
            break;
        }
        case kShapePolygon: {
            RePolygon& poly = s.polygon[d][r];
            if (part >= poly.count) return;
            int x = poly.pts[part].x() + kAxisStep[b].x();
            int y = poly.pts[part].y() + kAxisStep[b].y();
            CheckInRange(&x, 1);
            CheckInRange(&y, 0);
            poly.pts[part] = QPoint(x, y);
            break;
        }
        default:
            return;
    }
    updateRegion(r);
    v_->update();
}

void ViewEditor::SlotMoveAll() {
    if (v_->data.selectedRoi < 0) return;
    v_->moveMode = (v_->moveMode + 1) % 3;
    ShowHideROIPara();
    v_->update();
}

void ViewEditor::ShowHideCheckBox(bool show) {
    for (CheckBox* b : cavityBoxes) {
        b->setVisible(show);
        if (show) b->raise();
    }
}

void ViewEditor::SetCheckBoxState(int d) {
    if (!store() || d < 0 || d >= kStepCount) return;
    for (int k = 0; k < 8; ++k) cavityBoxes[k]->setChecked(store()->flags[d][k] != 0);
}

void ViewEditor::SlotClickCheckBox(int k) {
    if (!store() || k < 0 || k >= 8) return;
    store()->flags[1][k] = cavityBoxes[k]->isChecked() ? Qt::Checked : Qt::Unchecked;
}
