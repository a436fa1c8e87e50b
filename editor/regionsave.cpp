// Saving the region edits: one question for all cameras, the region table of each changed camera
// written in one transaction, one operation record per changed region (only once the table holds the
// change), and the retraining of the matching models.
#include <memory>

#include "app/msgbox.h"
#include "app/savereport.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "detect/cammerrecong.h"
#include "drawroiwidget.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "inspection/viewpaint.h"
#include "vieweditor.h"

namespace {

QString shapeName(int shape) {
    return lanText(shape == kShapeRect ? 74 : shape == kShapeRing ? 75 : 76);
}

QString funcName(int func) {
    switch (func) {
        case kFuncSpot:
            return lanText(15);
        case kFuncIgnore:
            return lanText(17);
        case kFuncPosition:
            return lanText(21);
        default:
            return lanText(25);
    }
}

QString num(int v) {
    return QString::number(v);
}

// The parameter text of an added region.
QString addedParamText(const CammerSingleton& s, int d, int r) {
    const int p1 = s.para1[d][r], sens = s.sens[d][r], area = s.area[d][r];
    switch (s.func[d][r]) {
        case kFuncIgnore:
            return lanText(17);
        case kFuncPosition:
            return lanText(79).arg(num(sens), num(area), num(p1));
        case kFuncSpot:
            return lanText(77).arg(num(p1 & 0xFF), num((p1 >> 8) & 0xFF), num(sens), num(area));
        default:
            return lanText(78).arg(num(sens), num(p1), num(area));
    }
}

bool sameGeometry(const CammerSingleton& a, const CammerSingleton& b, int d, int r) {
    if (a.shape[d][r] != b.shape[d][r]) return false;
    switch (a.shape[d][r]) {
        case kShapeRect:
            return a.rect[d][r].rect == b.rect[d][r].rect && a.rect[d][r].imgRect == b.rect[d][r].imgRect;
        case kShapeRing: {
            const Circle &x = a.circle[d][r], &y = b.circle[d][r];
            return x.rect == y.rect && x.cx == y.cx && x.cy == y.cy && x.r == y.r && x.rIn == y.rIn &&
                   x.imgRect == y.imgRect && x.imgRIn == y.imgRIn;
        }
        case kShapePolygon: {
            const RePolygon &x = a.polygon[d][r], &y = b.polygon[d][r];
            if (x.count != y.count) return false;
            for (int i = 0; i < x.count && i < kMaxPolygonPoints; ++i)
                if (x.pts[i] != y.pts[i] || x.imgPts[i] != y.imgPts[i]) return false;
            return true;
        }
        default:
            return true;
    }
}

// One change part ("from old to new"), empty when the value stayed.
QString changePart(int id, int before, int after, bool* changed) {
    if (before == after) return QString();
    *changed = true;
    return lanText(id).arg(num(before), num(after));
}

}  // namespace

bool regionsDiffer(const CammerSingleton& a, const CammerSingleton& b) {
    if (std::memcmp(a.count, b.count, sizeof(a.count)) != 0 ||
        std::memcmp(a.flags, b.flags, sizeof(a.flags)) != 0 ||
        std::memcmp(a.outN, b.outN, sizeof(a.outN)) != 0)
        return true;
    for (int d = 0; d < kStepCount; ++d) {
        const int n = qBound(0, a.count[d], kRoiCount);
        for (int r = 0; r < n; ++r) {
            if (a.para1[d][r] != b.para1[d][r] || a.sens[d][r] != b.sens[d][r] ||
                a.area[d][r] != b.area[d][r] || a.func[d][r] != b.func[d][r] || !sameGeometry(a, b, d, r))
                return true;
        }
    }
    return false;
}

QStringList regionChangeRecords(const CammerSingleton& saved, const CammerSingleton& working, int cameraNo,
                                int d, int detectMode, bool* position) {
    QStringList out;
    if (d < 0 || d >= kStepCount) return out;
    const QString header = lanText(73).arg(num(cameraNo), stepLabel(detectMode, d));
    const int before = qBound(0, saved.count[d], kRoiCount);
    const int after = qBound(0, working.count[d], kRoiCount);
    const int n = std::max(before, after);
    for (int k = 1; k <= n; ++k) {
        const int r = k - 1;
        if (r >= before) {
            if (working.func[d][r] == kFuncPosition) *position = true;
            out << header +
                       lanText(80).arg(shapeName(working.shape[d][r]), num(k), addedParamText(working, d, r));
            continue;
        }
        if (r >= after) {
            if (saved.func[d][r] == kFuncPosition) *position = true;
            out << header + lanText(81).arg(shapeName(saved.shape[d][r]), num(k), funcName(saved.func[d][r]));
            continue;
        }
        const int oldFunc = saved.func[d][r], func = working.func[d][r];
        if (oldFunc == kFuncPosition || func == kFuncPosition) *position = true;
        const bool moved = !sameGeometry(saved, working, d, r);
        const QString funcText =
            oldFunc == func ? lanText(84) : lanText(82) + funcName(oldFunc) + lanText(83);
        bool changed = false;
        QString params;
        const int p0 = saved.para1[d][r], p1 = working.para1[d][r];
        const int s0 = saved.sens[d][r], s1 = working.sens[d][r];
        const int a0 = saved.area[d][r], a1 = working.area[d][r];
        switch (func) {
            case kFuncIgnore:
                params = lanText(17);
                break;
            case kFuncPosition:
                params = lanText(93).arg(changePart(90, s0, s1, &changed), changePart(91, a0, a1, &changed),
                                         changePart(92, p0, p1, &changed));
                break;
            case kFuncSpot:
                params = lanText(89).arg(changePart(85, p0 & 0xFF, p1 & 0xFF, &changed),
                                         changePart(86, (p0 >> 8) & 0xFF, (p1 >> 8) & 0xFF, &changed),
                                         changePart(87, s0, s1, &changed), changePart(88, a0, a1, &changed));
                break;
            default:
                params = lanText(97).arg(changePart(94, s0, s1, &changed), changePart(95, a0, a1, &changed),
                                         changePart(96, p0, p1, &changed));
                break;
        }
        if (moved || (func != kFuncIgnore && changed))
            out << header + lanText(99).arg(shapeName(working.shape[d][r]), num(k), funcText, params,
                                            moved ? lanText(98) : QString());
    }
    return out;
}

bool DrawROIWidget::hasUnsavedEdits() const {
    const int cameras = std::min(numCamera, int(window_->cams.size()));
    for (int i = 0; i < cameras; ++i) {
        const CammerWidget* v = window_->cams[i];
        if (!v || !v->data.savedStore || !v->data.workingStore) continue;
        const ViewEditor* e = editorOf(v);
        if (regionsDiffer(*v->data.savedStore, *v->data.workingStore) || (e && e->hasPendingIgnore()))
            return true;
    }
    return false;
}

void DrawROIWidget::SlotSaveData() {
    MainWindow* w = window_;
    const WizardPara* p = gpWPara;
    const int cameras = std::min(numCamera, int(w->cams.size()));
    const int steps = qBound(0, gDNum, kStepCount);
    const int mode = p ? p->detect_mode : 0;
    std::vector<int> changed;
    for (int i = 0; i < cameras; ++i) {
        CammerWidget* v = w->cams[i];
        if (!v || !v->data.savedStore || !v->data.workingStore) continue;
        ViewEditor* e = editorOf(v);
        if (regionsDiffer(*v->data.savedStore, *v->data.workingStore) || (e && e->hasPendingIgnore()))
            changed.push_back(i);
    }
    const bool asked = !changed.empty();
    const bool yes = asked && showChooseBox(lanText(72));
    bool notWritten = false;
    if (yes) {
        const bool standardLike =
            mode == kDetectStandard || mode == kDetectAutoParts || mode == kDetectStandardNoRecheck;
        const bool sync =
            p && p->enabe_two_test &&
            ((standardLike && p->enable_prod_detect) || mode == kDetectTwoColour || mode == kDetectTurntable);
        for (int i : changed) {
            CammerWidget* v = w->cams[i];
            ViewEditor* e = editorOf(v);
            CammerSingleton& saved = *v->data.savedStore;
            CammerSingleton& working = *v->data.workingStore;
            if (!v->data.savedStore || !v->data.workingStore) continue;
            bool position = false;
            QStringList records;
            for (int d = 0; d < steps; ++d)
                records += regionChangeRecords(saved, working, v->slot + 1, d, mode, &position);

            // Kept until the table holds the new regions.
            auto before = std::make_unique<CammerSingleton>(saved);
            std::vector<cv::Mat> masksBefore;
            masksBefore.reserve(size_t(kStepCount) * kRoiCount);
            for (int d = 0; d < kStepCount; ++d)
                for (int r = 0; r < kRoiCount; ++r) masksBefore.push_back(v->data.savedMasks[d][r]);

            saved = working;
            if (e) e->RestorMask();
            if (sync && e) {
                e->CopyPara();
                working = saved;
                e->BackMask();
            }
            ParameterManager* pm = ParameterManager::getInstance();
            const bool written = pm && pm->paramDb.isOpen() && saved.SaveDatatoFile(pm->paramQuery);
            if (!written) {
                saved = *before;
                for (int d = 0, k = 0; d < kStepCount; ++d)
                    for (int r = 0; r < kRoiCount; ++r) v->data.savedMasks[d][r] = masksBefore[size_t(k++)];
                // One box and one record; the edits stay in the working copy.
                reportSaveFailure(SavedFile::Parameters, QStringLiteral("PARAM.db"),
                                  QStringLiteral("regions of camera %1 not written").arg(v->slot + 1));
                notWritten = true;
                continue;
            }
            for (const QString& text : records) w->InsertRecord(text);
            if (e) e->applyPendingIgnore();
            retrain[i] = true;
            if (position && v->recong)
                for (int d = 0; d < steps; ++d)
                    if (p && p->step_enable[d]) v->recong->CreateShape(d);
        }
    }
    // Answered: declined edits are the next visit's to drop; edits that could not be written are kept.
    if (asked) carryEdits_ = notWritten;
    for (int i = 0; i < cameras && i < kMaxCamera; ++i) {
        if (!retrain[i]) continue;
        retrain[i] = false;
        CammerWidget* v = w->cams[i];
        if (!v || !v->recong) continue;
        for (int d = 0; d < steps; ++d)
            if (p && p->step_enable[d]) v->recong->VarTrain(d);
    }
}
