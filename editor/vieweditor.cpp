#include "vieweditor.h"

#include <QMouseEvent>
#include <cstdlib>

#include "app/imageglobals.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "drawroiwidget.h"
#include "alarmoption.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"

namespace {
constexpr int kCloseTol = 9;        // a click-polygon closes on a press this near its first point
constexpr int kMinNewShape = 9;     // a new rectangle or ring must be wider and taller than this
constexpr int kMinFreeHand = 5;     // free-hand outlines of this many points or fewer are dropped
constexpr int kMinMoveImagePx = 3;  // drags below this many image pixels are ignored

bool belowMoveThreshold(int dx, int dy) {
    return std::abs(dx) / gShowAW < kMinMoveImagePx && std::abs(dy) / gShowAH < kMinMoveImagePx;
}
}  // namespace

ViewEditor::ViewEditor(CammerWidget* view, MainWindow* window, DrawROIWidget* controller)
    : QObject(view), v_(view), w_(window), c_(controller) {
    v_->polyPoints.reserve(kMaxPolygonPoints);
    buildPanel();
    drawingPanel_ = new roiOperation(v_, c_);
    drawingPanel_->move(950, 850);
    drawingPanel_->hide();
    drawingPanel_->lower();  // under the view's other tools, as the first child of the view
    v_->drawingBar = drawingPanel_.data();
}

ViewEditor::~ViewEditor() {
    for (const QPointer<QWidget>& wdg : panelWidgets_) delete wdg.data();
    delete drawingPanel_.data();  // the view's pointer to it clears itself
}

int ViewEditor::step() const {
    return w_->editorStep;
}

CammerSingleton* ViewEditor::store() const {
    return v_->data.workingStore.get();
}

bool ViewEditor::editable() const {
    const int d = step();
    return store() && d >= 0 && d < kStepCount && d < gDNum;
}

QPoint ViewEditor::toDisplay(QPoint p) const {
    const double z = w_->zoomScale > 0 ? w_->zoomScale : 1.0;
    return QPoint(int((p.x() - w_->zoomOffX) / z), int((p.y() - w_->zoomOffY) / z));
}

void ViewEditor::MUpdateXYV(int x, int y) {
    if (gShowW <= 0 || gShowH <= 0) return;
    const double z = w_->zoomScale > 0 ? w_->zoomScale : 1.0;
    // The widget may be larger or smaller than the reference frame when the window is not full size.
    const double sx = v_->width() > 0 ? double(gShowW) / v_->width() : 1.0;
    const double sy = v_->height() > 0 ? double(gShowH) / v_->height() : 1.0;
    const int ix = int((x - w_->zoomOffX) * sx * gImageW / (gShowW * z));
    const int iy = int((y - w_->zoomOffY) * sy * gImageH / (gShowH * z));
    w_->pointerPixel = QPoint(ix, iy);
    if (ix < 0 || iy < 0 || ix >= gImageW || iy >= gImageH) return;
    const size_t i = size_t(iy) * size_t(gImageW) + size_t(ix);
    if (gisColor) {
        if (v_->displayBuffer.size() >= (i + 1) * 4) {
            const uchar* px = v_->displayBuffer.data() + i * 4;  // B, G, R, 0
            w_->pointerValue = uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0];
        }
    } else if (v_->displayBuffer.size() > i) {
        w_->pointerValue = v_->displayBuffer[i];
    }
}

// ---------------------------------------------------------------------------------------------------
// Shapes of the editor step

bool ViewEditor::shapeSelected(int r) const {
    const CammerSingleton& s = *store();
    const int d = step();
    switch (s.shape[d][r]) {
        case kShapeRect:
            return s.rect[d][r].IsSelected();
        case kShapeRing:
            return s.circle[d][r].IsSelected();
        case kShapePolygon:
            return s.polygon[d][r].IsSelected();
        default:
            return false;
    }
}

void ViewEditor::setShapeSelected(int r, bool on) {
    if (r < 0 || r >= kRoiCount) return;
    CammerSingleton& s = *store();
    const int d = step();
    switch (s.shape[d][r]) {
        case kShapeRect:
            s.rect[d][r].SetSelected(on);
            break;
        case kShapeRing:
            s.circle[d][r].SetSelected(on);
            break;
        case kShapePolygon:
            s.polygon[d][r].SetSelected(on);
            break;
        default:
            break;
    }
}

bool ViewEditor::shapeContains(int r, QPoint p) const {
    const CammerSingleton& s = *store();
    const int d = step();
    switch (s.shape[d][r]) {
        case kShapeRect:
            return s.rect[d][r].Contains(p);
        case kShapeRing:
            return s.circle[d][r].Contains(p);
        case kShapePolygon:
            return s.polygon[d][r].Contains(p);
        default:
            return false;
    }
}

bool ViewEditor::shapeHandle(int r, QPoint p, int* h) const {
    const CammerSingleton& s = *store();
    const int d = step();
    *h = -1;
    switch (s.shape[d][r]) {
        case kShapeRect:
            return s.rect[d][r].PtInCtrl(p, h);
        case kShapeRing:
            return s.circle[d][r].PtInCtrl(p, h);
        case kShapePolygon:
            return s.polygon[d][r].PtInCtrl(p, h);
        default:
            return false;
    }
}

void ViewEditor::updateRegion(int r) {
    if (!editable() || r < 0 || r >= kRoiCount) return;
    v_->data.workingMasks[step()][r] = store()->updateRegion(step(), r);
}

bool ViewEditor::shiftRegion(int r, int dx, int dy) {
    CammerSingleton& s = *store();
    const int d = step();
    switch (s.shape[d][r]) {
        case kShapeRect: {
            QRect& rect = s.rect[d][r].rect;
            rect.translate(dx, dy);
            CheckInRange(&rect, true);
            return true;
        }
        case kShapeRing: {
            Circle& c = s.circle[d][r];
            c.rect.translate(dx, dy);
            CheckInRange(&c.rect, true);
            c.UpdateAll();
            return true;
        }
        case kShapePolygon: {
            RePolygon& poly = s.polygon[d][r];
            for (int i = 0; i < poly.count; ++i) {
                const QPoint q = poly.pts[i] + QPoint(dx, dy);
                if (q.x() < 3 || q.x() > gShowW - 4 || q.y() < 3 || q.y() > gShowH - 4) return false;
            }
            for (int i = 0; i < poly.count; ++i) poly.pts[i] += QPoint(dx, dy);
            return true;
        }
        default:
            return true;
    }
}

bool ViewEditor::GetSelectedRect() {
    if (!editable()) return false;
    const int n = qBound(0, store()->count[step()], kRoiCount);
    for (int r = 0; r < n; ++r) {
        if (shapeSelected(r)) {
            v_->data.selectedRoi = r;
            return true;
        }
    }
    return false;
}

bool ViewEditor::PtInRegion(QPoint p) {
    const int r = v_->data.selectedRoi;
    if (!editable() || r < 0 || r >= store()->count[step()]) return false;
    int h = -1;
    return shapeHandle(r, p, &h) || shapeContains(r, p);
}

bool ViewEditor::PtInRect(QPoint p) {
    if (!editable()) return false;
    const int n = qBound(0, store()->count[step()], kRoiCount);
    if (n == 0) return false;
    int start = v_->data.selectedRoi;
    if (start < 0 || start >= n) start = 0;
    touchPoint = p;
    for (int k = 0; k < n; ++k) {
        const int r = (start + k) % n;
        int h = -1;
        if (shapeContains(r, p) || shapeHandle(r, p, &h)) {
            v_->data.selectedRoi = r;
            return true;
        }
    }
    return false;
}

bool ViewEditor::PtInRectMove(QPoint p) {
    if (!editable()) return false;
    const int n = qBound(0, store()->count[step()], kRoiCount);
    for (int r = 0; r < n; ++r) {
        int h = -1;
        if (shapeContains(r, p) || shapeHandle(r, p, &h)) return true;
    }
    return false;
}

void ViewEditor::DeselectROI() {
    polyDragging = false;
    pendingShown = false;
    v_->editMode = kEditIdle;
    w_->drawingTool = 0;
    v_->polyPoints.clear();
    const int r = v_->data.selectedRoi;
    if (r >= 0 && editable() && r < kRoiCount) {
        setShapeSelected(r, false);
        v_->data.selectedRoi = -1;
    }
    v_->data.selectedRoi = -1;
    v_->data.testShown = false;
}

void ViewEditor::SlotNextROI() {
    if (!editable()) return;
    const int n = qBound(0, store()->count[step()], kRoiCount);
    const int cur = v_->data.selectedRoi;
    if (n == 0) return;
    for (int k = 1; k <= n; ++k) {
        const int r = ((cur < 0 ? -1 : cur) + k) % n;
        if (r == cur) break;
        int h = -1;
        if (shapeContains(r, touchPoint) || shapeHandle(r, touchPoint, &h)) {
            DeselectROI();
            v_->data.selectedRoi = r;
            setShapeSelected(r, true);
            v_->editPart = 0;
            ShowHideROIPara();
            v_->update();
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// New regions

void ViewEditor::setNewRegionDefaults(int r, bool rectOrRing) {
    CammerSingleton& s = *store();
    const int d = step();
    if (r > 0) {
        s.func[d][r] = s.func[d][r - 1];
        s.para1[d][r] = s.para1[d][r - 1];
        s.sens[d][r] = s.sens[d][r - 1];
        s.area[d][r] = s.area[d][r - 1];
    } else if (gpWPara) {
        const RegionDefaults def = firstRegionDefaults(*gpWPara, rectOrRing);
        s.func[d][r] = def.func;
        if (def.para1 >= 0) s.para1[d][r] = def.para1;
        if (def.sens >= 0) s.sens[d][r] = def.sens;
        if (def.area >= 0) s.area[d][r] = def.area;
    }
    v_->data.testValue[d][r] = 0;
    if (d == 0) s.outN[r] = 0;
}

void ViewEditor::SavePolygon() {
    if (!editable() || v_->editMode != kEditDrawing || w_->drawingTool != kShapePolygon) return;
    CammerSingleton& s = *store();
    const int d = step();
    const int r = s.count[d];
    if (r >= kRoiCount) {
        showWarnBox(lanText(36));
        return;
    }
    if (v_->polyPoints.size() <= 2) return;
    const int n = std::min(int(v_->polyPoints.size()), kPolygonKeep);
    RePolygon& poly = s.polygon[d][r];
    poly.count = n;
    for (int i = 0; i < n; ++i) poly.pts[i] = v_->polyPoints[i];
    poly.dx = poly.dy = 0;
    s.shape[d][r] = kShapePolygon;
    updateRegion(r);
    poly.SetSelected(true);
    setNewRegionDefaults(r, false);
    s.count[d] = r + 1;
    v_->data.selectedRoi = r;
    v_->editPart = 0;
    polyDragging = false;
    v_->editMode = kEditIdle;
    w_->drawingTool = 0;
    v_->polyPoints.clear();
    ShowHideROIPara();
    v_->update();
}

void ViewEditor::SlotCopyArea(QPoint p) {
    if (!editable()) return;
    CammerSingleton& s = *store();
    const int d = step();
    const int n = s.count[d];
    if (n <= 0) return;
    if (!showChooseBox(lanText(38))) return;
    if (!editable() || s.count[d] != n) return;  // changed behind the question
    if (n >= kRoiCount) {
        showWarnBox(lanText(36));
        return;
    }
    int src = v_->data.selectedRoi;
    if (src < 0 || src >= n) src = (lastSelected >= 0 && lastSelected < n) ? lastSelected : n - 1;
    const int dst = n;
    s.shape[d][dst] = s.shape[d][src];
    switch (s.shape[d][src]) {
        case kShapePolygon: {
            const RePolygon& from = s.polygon[d][src];
            RePolygon& to = s.polygon[d][dst];
            to.count = from.count;
            const QPoint shift = from.count > 0 ? p - from.pts[0] : QPoint();
            for (int i = 0; i < from.count; ++i) {
                int x = from.pts[i].x() + shift.x(), y = from.pts[i].y() + shift.y();
                CheckInRange(&x, 1);
                CheckInRange(&y, 0);
                to.pts[i] = QPoint(x, y);
            }
            to.dx = to.dy = 0;
            break;
        }
        case kShapeRing: {
            Circle& to = s.circle[d][dst];
            to = s.circle[d][src];
            to.rect.translate(p - to.rect.center());
            CheckInRange(&to.rect, true);
            to.UpdateAll();
            break;
        }
        default: {
            ClustomRect& to = s.rect[d][dst];
            to = s.rect[d][src];
            to.rect.translate(p - to.rect.center());
            CheckInRange(&to.rect, true);
            to.dx = to.dy = 0;
            break;
        }
    }
    updateRegion(dst);
    setShapeSelected(src, false);
    setShapeSelected(dst, true);
    s.func[d][dst] = s.func[d][src];
    s.para1[d][dst] = s.para1[d][src];
    s.sens[d][dst] = s.sens[d][src];
    s.area[d][dst] = s.area[d][src];
    v_->data.testValue[d][dst] = 0;
    if (d == 0) s.outN[dst] = s.outN[src];
    s.count[d] = n + 1;
    v_->data.selectedRoi = dst;
    v_->editPart = 0;
    ShowHideROIPara();
    v_->update();
}

void ViewEditor::DeleteROI(int index) {
    if (!editable()) return;
    CammerSingleton& s = *store();
    const int d = step();
    const int n = qBound(0, s.count[d], kRoiCount);
    if (index < 0 || index >= n) return;
    const QRect box = s.imageRect(d, index);
    if (!box.isNull()) pendingIgnoreClear_[d].append(box);
    for (int j = index; j + 1 < n; ++j) {
        s.rect[d][j] = s.rect[d][j + 1];
        s.circle[d][j] = s.circle[d][j + 1];
        s.polygon[d][j] = s.polygon[d][j + 1];
        v_->data.workingMasks[d][j] = v_->data.workingMasks[d][j + 1];
        v_->data.testValue[d][j] = v_->data.testValue[d][j + 1];
        s.para1[d][j] = s.para1[d][j + 1];
        s.shape[d][j] = s.shape[d][j + 1];
        s.sens[d][j] = s.sens[d][j + 1];
        s.area[d][j] = s.area[d][j + 1];
        s.func[d][j] = s.func[d][j + 1];
        if (d == 0) s.outN[j] = s.outN[j + 1];
    }
    v_->data.workingMasks[d][n - 1] = cv::Mat();
    s.count[d] = n - 1;
}

void ViewEditor::DeleteAllROI() {
    if (!editable()) return;
    store()->count[step()] = 0;
    pendingIgnoreAll_[step()] = true;
    pendingIgnoreClear_[step()].clear();
    v_->data.selectedRoi = -1;
}

void ViewEditor::applyPendingIgnore() {
    for (int d = 0; d < kStepCount; ++d) {
        if (!pendingIgnoreAll_[d] && pendingIgnoreClear_[d].isEmpty()) continue;
        cv::Mat& mask = v_->data.ignoreImages[d];
        if (!mask.empty()) {
            // The mask in use always equals its file: a failed write (told by the writer) keeps the
            // old points in both.
            const cv::Mat before = mask.clone();
            if (pendingIgnoreAll_[d]) {
                mask.setTo(0);
            } else {
                for (const QRect& b : pendingIgnoreClear_[d]) {
                    const cv::Rect r = cv::Rect(b.left(), b.top(), b.width(), b.height()) &
                                       cv::Rect(0, 0, mask.cols, mask.rows);
                    if (r.area() > 0) mask(r).setTo(0);
                }
            }
            if (!v_->SaveIgnorePoint(d)) before.copyTo(mask);
        }
        pendingIgnoreAll_[d] = false;
        pendingIgnoreClear_[d].clear();
    }
}

void ViewEditor::dropPendingIgnore() {
    for (int d = 0; d < kStepCount; ++d) {
        pendingIgnoreAll_[d] = false;
        pendingIgnoreClear_[d].clear();
    }
}

bool ViewEditor::hasPendingIgnore() const {
    for (int d = 0; d < kStepCount; ++d)
        if (pendingIgnoreAll_[d] || !pendingIgnoreClear_[d].isEmpty()) return true;
    return false;
}

void ViewEditor::BackMask() {
    for (int d = 0; d < gDNum && d < kStepCount; ++d)
        for (int r = 0; r < kRoiCount; ++r) v_->data.workingMasks[d][r] = v_->data.savedMasks[d][r];
}

void ViewEditor::RestorMask() {
    const WizardPara* p = gpWPara;
    for (int d = 0; d < gDNum && d < kStepCount; ++d) {
        if (p && p->enabe_two_test) {
            const int mode = p->detect_mode;
            const bool standardLike =
                mode == kDetectStandard || mode == kDetectAutoParts || mode == kDetectStandardNoRecheck;
            if (standardLike && d == 1 && p->enable_prod_detect) continue;
            if ((mode == kDetectTwoColour || mode == kDetectTurntable) && (d == 2 || d == 3)) continue;
        }
        for (int r = 0; r < kRoiCount; ++r) v_->data.savedMasks[d][r] = v_->data.workingMasks[d][r];
    }
}

// ---------------------------------------------------------------------------------------------------
// Moving by buttons

void ViewEditor::SlotMove(int dx, int dy) {
    if (!editable()) return;
    const int d = step();
    const int n = qBound(0, store()->count[d], kRoiCount);
    if (v_->moveMode == 2) {
        for (int r = 0; r < n; ++r) {
            if (!shiftRegion(r, dx, dy)) break;
            updateRegion(r);
        }
    } else {
        const int r = v_->data.selectedRoi;
        if (r < 0 || r >= n) return;
        if (shiftRegion(r, dx, dy)) updateRegion(r);
    }
    ShowHideROIPara();
    v_->update();
}

// ---------------------------------------------------------------------------------------------------
// The state machine

void ViewEditor::mousePress(QMouseEvent* event) {
    const int cam = v_->cameraIndex();
    if (cam < 0 || cam >= numCamera) return;
    const QPoint pos = event->pos();
    if (w_->displayedCamera == cam) MUpdateXYV(pos.x(), pos.y());
    panLast = pos;
    panning = false;
    if (w_->displayedCamera >= numCamera) {
        w_->displayedCamera = cam;
        w_->ChangeCammer();
        if (w_->DisplayState == 2 && gSource == 1 && c_->alarmOption) c_->alarmOption->SetCamera(cam);
        v_->ShowHideTool(0);
        return;
    }
    if (w_->displayedCamera != cam) return;
    if (gSource != 0) {
        v_->setCursor(Qt::ArrowCursor);
        panning = true;
        return;
    }
    v_->editMode = kEditIdle;
    pressed = true;
    const QPoint p = toDisplay(pos);
    if (w_->copyMode) {
        w_->copyMode = 0;
        SlotCopyArea(p);
        v_->update();
        return;
    }
    if (!editable()) return;
    CammerSingleton& s = *store();
    const int d = step();
    if (w_->drawingTool != 0) {
        v_->setCursor(Qt::CrossCursor);
        dragStart = p;
        if (w_->drawingTool == kShapeRect || w_->drawingTool == kShapeRing) {
            pendingFirst = p;
            v_->pendingRect = ClustomRect();
            v_->pendingRect.rect.setCoords(p.x(), p.y(), p.x(), p.y());
            v_->pendingRing.rect = v_->pendingRect.rect;
            v_->pendingRing.rIn = 0;
            v_->pendingRing.UpdateAll();
            v_->editMode = kEditArmed;
            pendingShown = true;
        } else if (w_->drawingTool == kShapePolygon) {
            v_->editMode = kEditDrawing;
            polyDragging = true;
            if (!c_->freeHand) {
                QVector<QPoint>& pts = v_->polyPoints;
                if (pts.size() >= kMaxPolygonPoints) {
                    pts.resize(kPolygonKeep);
                    showWarnBox(lanText(35));
                } else if (!pts.isEmpty() && std::abs(p.x() - pts.first().x()) <= kCloseTol &&
                           std::abs(p.y() - pts.first().y()) <= kCloseTol) {
                    c_->SlotDrawPloygn();
                } else {
                    pts.append(p);
                }
            }
        }
    } else if (GetSelectedRect()) {
        const int r = v_->data.selectedRoi;
        const int shape = s.shape[d][r];
        if (PtInRegion(p)) {
            int h = -1;
            if (shapeHandle(r, p, &h)) {
                handle = h;
                v_->editMode = kEditResizing;
                if (shape == kShapePolygon) v_->editPart = h;
            } else {
                v_->setCursor(Qt::SizeAllCursor);
                v_->editMode = kEditMoving;
            }
            if (shape == kShapePolygon)
                polyDragging = true;
            else
                pendingShown = true;
            dragStart = p;
        } else {
            if (r >= 0 && r < kRoiCount) lastSelected = r;
            setShapeSelected(r, false);
            v_->data.selectedRoi = -1;
            v_->data.testShown = false;
            v_->setCursor(Qt::CrossCursor);
            dragStart = p;
        }
    } else if (PtInRect(p)) {
        const int r = v_->data.selectedRoi;
        setShapeSelected(r, true);
        v_->setCursor(Qt::SizeAllCursor);
        v_->editPart = 0;
        v_->editMode = kEditMoving;
        dragStart = p;
        if (s.shape[d][r] == kShapePolygon)
            polyDragging = true;
        else
            pendingShown = true;
    }
    v_->update();
}

void ViewEditor::mouseMove(QMouseEvent* event) {
    const int cam = v_->cameraIndex();
    if (cam < 0 || cam >= numCamera) return;
    const QPoint pos = event->pos();
    const bool current = w_->displayedCamera == cam;
    if (current) MUpdateXYV(pos.x(), pos.y());
    const bool zoomed = w_->zoomScale > 1.1;
    if (gSource != 0) {
        // Live pictures (or none): a drag pans the enlarged picture.
        if (current && zoomed && (event->buttons() & Qt::LeftButton) && panning) {
            w_->zoomOffX += pos.x() - panLast.x();
            w_->zoomOffY += pos.y() - panLast.y();
            v_->update();
        }
        panLast = pos;
        if (gSource == -1 || gSource == 1) return;
        return;
    }
    if (!current || !editable()) return;
    CammerSingleton& s = *store();
    const int d = step();
    const QPoint p = toDisplay(pos);
    GetSelectedRect();
    const int r = v_->data.selectedRoi;
    const bool valid = r >= 0 && r < s.count[d];
    if (pendingShown) {
        if (v_->editMode == kEditArmed || v_->editMode == kEditDrawing) {
            // The corner stays inside the display area from the first move on.
            int x = p.x(), y = p.y();
            CheckInRange(&x, 1);
            CheckInRange(&y, 0);
            const QPoint q(x, y);
            v_->editMode = kEditDrawing;
            v_->pendingRect.rect.setCoords(pendingFirst.x(), pendingFirst.y(), q.x(), q.y());
            v_->pendingRing.rect = v_->pendingRect.rect;
            v_->pendingRing.UpdateAll();
        } else if (v_->editMode == kEditMoving && valid) {
            const QPoint delta = p - dragStart;
            if (!belowMoveThreshold(delta.x(), delta.y())) {
                shiftRegion(r, delta.x(), delta.y());
                if (s.shape[d][r] == kShapeRect) s.rect[d][r].setImageRect();
                if (s.shape[d][r] == kShapeRing) s.circle[d][r].setImageRect();
                dragStart = p;
            }
        } else if (v_->editMode == kEditResizing && valid) {
            if (s.shape[d][r] == kShapeRing) {
                Circle& c = s.circle[d][r];
                c.Resize(handle, dragStart, p);
                CheckInRange(&c.rect, false);
                c.UpdateAll();
                c.setImageRect();
            } else if (s.shape[d][r] == kShapeRect) {
                ClustomRect& rc = s.rect[d][r];
                rc.Resize(handle, dragStart, p);
                CheckInRange(&rc.rect, false);
                rc.setImageRect();
            }
            dragStart = p;
        }
    } else if (polyDragging) {
        if (v_->editMode == kEditResizing && pressed && valid) {
            RePolygon& poly = s.polygon[d][r];
            poly.Resize(handle, dragStart, p, gShowAW, gShowAH);
            poly.BoundingRect();
            dragStart = p;
        } else if (v_->editMode == kEditDrawing && c_->freeHand) {
            if (v_->polyPoints.size() < kPolygonKeep) v_->polyPoints.append(p);
        } else if (v_->editMode == kEditMoving && pressed && valid) {
            const ulong t = event->timestamp();
            if (lastPolyMove != 0 && t - lastPolyMove < ulong(kPolyMoveIntervalMs)) return;
            const QPoint delta = p - dragStart;
            if (belowMoveThreshold(delta.x(), delta.y())) return;
            lastPolyMove = t == 0 ? 1 : t;
            if (shiftRegion(r, delta.x(), delta.y())) {
                s.polygon[d][r].setImageRect();
                dragStart = p;
            }
        }
    } else if (zoomed && pressed && (event->buttons() & Qt::LeftButton) && v_->editMode == kEditIdle &&
               w_->drawingTool == 0) {
        // A press that started no drawing, move or resize: on the enlarged template a drag pans the
        // picture, as on the live picture.
        w_->zoomOffX += pos.x() - panLast.x();
        w_->zoomOffY += pos.y() - panLast.y();
        panLast = pos;
    } else {
        // Hover feedback.
        int h = -1;
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (valid && s.shape[d][r] != kShapePolygon && shapeHandle(r, p, &h)) {
            static const Qt::CursorShape kHandleCursor[8] = {
                Qt::SizeFDiagCursor, Qt::SizeVerCursor,   Qt::SizeBDiagCursor, Qt::SizeHorCursor,
                Qt::SizeHorCursor,   Qt::SizeBDiagCursor, Qt::SizeVerCursor,   Qt::SizeFDiagCursor};
            shape = h >= 0 && h < 8 ? kHandleCursor[h] : Qt::ArrowCursor;
        } else if (valid && s.shape[d][r] == kShapePolygon && shapeHandle(r, p, &h)) {
            shape = Qt::SizeFDiagCursor;
        } else if (PtInRectMove(p)) {
            shape = Qt::SizeAllCursor;
        }
        v_->setCursor(shape);
        return;
    }
    v_->update();
}

void ViewEditor::mouseRelease(QMouseEvent*) {
    const int cam = v_->cameraIndex();
    if (cam < 0 || cam >= numCamera) return;
    panning = false;
    if (gSource != 0 || w_->displayedCamera != cam || !editable()) {
        pressed = false;
        return;
    }
    CammerSingleton& s = *store();
    const int d = step();
    const int tool = w_->drawingTool;
    if (pendingShown && (tool == kShapeRect || tool == kShapeRing) &&
        (v_->editMode == kEditDrawing || v_->editMode == kEditArmed)) {
        const QRect& pr = v_->pendingRect.rect;
        const bool bigEnough = v_->editMode == kEditDrawing && pr.right() - pr.left() > kMinNewShape &&
                               pr.bottom() - pr.top() > kMinNewShape;
        if (!bigEnough) {
            w_->drawingTool = 0;
        } else if (s.count[d] >= kRoiCount) {
            showWarnBox(lanText(36));
        } else {
            const int r = s.count[d];
            if (tool == kShapeRect) {
                s.rect[d][r] = v_->pendingRect;
                s.rect[d][r].dx = s.rect[d][r].dy = 0;
            } else {
                Circle& c = s.circle[d][r];
                c = Circle();
                c.rect = pr;
                c.rIn = 0;
                c.UpdateAll();
            }
            s.shape[d][r] = tool;
            updateRegion(r);
            setShapeSelected(r, true);
            setNewRegionDefaults(r, true);
            s.count[d] = r + 1;
            v_->data.selectedRoi = r;
            v_->editPart = 0;
            w_->drawingTool = 0;
        }
        v_->editMode = kEditIdle;
    } else if (v_->editMode == kEditMoving || v_->editMode == kEditResizing) {
        const int r = v_->data.selectedRoi;
        if (r >= 0 && r < s.count[d]) updateRegion(r);
        polyDragging = false;
        v_->editMode = kEditIdle;
    } else if (polyDragging && v_->editMode == kEditDrawing && c_->freeHand) {
        if (v_->polyPoints.size() <= kMinFreeHand) {
            polyDragging = false;
            v_->editMode = kEditIdle;
            w_->drawingTool = 0;
            v_->polyPoints.clear();
        } else {
            SavePolygon();
        }
    }
    pendingShown = false;
    ShowHideROIPara();
    pressed = false;
    v_->update();
}
