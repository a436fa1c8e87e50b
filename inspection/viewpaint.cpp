// Painting of a camera view: the picture, the pixel overlays, the OK/NG mark, the regions of the
// step with their labels and alarm boxes, the status, the countdown and the shape being drawn; and
// the camera's strip of the title bar.
#include "viewpaint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "cammerwidget.h"
#include "detect/cammerrecong.h"
#include "detect/miscfunc.h"
#include "mainbars.h"
#include "mainwindow.h"
#include "platform/system/timing.h"
#include "records/counters.h"
#include "titlebar.h"

QString stepLabel(int detectMode, int step) {
    int base = 263;
    if (detectMode == kDetectTwoColour || detectMode == kDetectTurntable)
        base = 372;
    else if (detectMode == kDetectMulti)
        base = 477;
    return lanText(base + step);
}

ViewStatus viewStatus(int runState, int stepPhase, bool recheckPending, int recheckCount, int recheckLeft) {
    if (runState == 2) return {QColor(Qt::cyan), lanText(310)};
    if (runState == 3) return {QColor(Qt::red), lanText(311)};
    if (recheckPending && recheckLeft > 0)
        return {QColor(Qt::green), lanText(593).arg(recheckCount - recheckLeft + 1)};
    switch (stepPhase) {
        case 1:
            return {QColor(Qt::green), lanText(312)};
        case 2:
            return {QColor(Qt::green), lanText(528)};
        case 3:
            return {QColor(Qt::green), lanText(529)};
        default:
            return {QColor(Qt::green), QString()};
    }
}

QString regionLabel(const CammerSingleton& s, int step, int r, int32_t value, bool perRegionDefect,
                    int globalAlarmArea) {
    const QString valueText = QString::number(value);
    const int count = s.count[step];
    if (count > 10) return QStringLiteral("%1: %2").arg(QString::number(r + 1), valueText);
    QString limit;
    switch (s.func[step][r]) {
        case kFuncDefect:
            limit = QString::number(perRegionDefect ? s.area[step][r] : globalAlarmArea);
            break;
        case kFuncSimilarity:
            limit = QString::number(s.sens[step][r]);
            break;
        case kFuncSpot:
            limit = QStringLiteral("%1--%2").arg(QString::number(s.sens[step][r]),
                                                 QString::number(s.area[step][r]));
            break;
        default:
            limit = QString::number(s.area[step][r]);
    }
    return QStringLiteral("%1: %2 / %3 ").arg(QString::number(r + 1), limit, valueText);
}

QVector<QPair<int, QString>> mouldNumberTexts(const int32_t flags[8]) {
    QVector<QPair<int, QString>> out;
    int x = 352;
    for (int i = 0; i < 8; ++i) {
        if (flags[i] != 2) continue;
        if (!out.isEmpty()) {
            out.append({x, QStringLiteral(",")});
            x += 10;
        }
        out.append({x, lanText(469).arg(i + 1)});
        x += 60;
    }
    return out;
}

QString countdownText(const bool timerActive[], const int remainingTenths[], int steps) {
    for (int s = 0; s < steps; ++s) {
        if (!timerActive[s]) continue;
        // Only the first running step is looked at.
        if (remainingTenths[s] * 0.1 > 0.02) return QString::number(remainingTenths[s] / 10.0, 'g', 3);
        return QString();
    }
    return QString();
}

QString locationText(QPoint pixel, uint32_t value, bool colour) {
    const QString v = colour ? QStringLiteral("%1, %2, %3")
                                   .arg(QString::number((value >> 16) & 0xFF),
                                        QString::number((value >> 8) & 0xFF), QString::number(value & 0xFF))
                             : QString::number(value);
    return QStringLiteral("%1, %2, %3").arg(QString::number(pixel.x()), QString::number(pixel.y()), v);
}

int isqrtInt(int v) {
    if (v < 1) return 0;
    int r = int(std::sqrt(double(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return r;
}

int viewTextPx(int px, double scale) {
    return std::max(kMinViewTextPx, int(std::lround(px * scale)));
}

int beforeBadgeX(int preferredX, int textWidth, int viewWidth, int badgeWidth) {
    const int limit = badgeWidth > 0 ? viewWidth - 10 - badgeWidth - 8 : viewWidth - 5;
    return std::max(5, std::min(preferredX, limit - textWidth));
}

namespace {

constexpr uint32_t kOverlayRed = 0xFF0000u;
constexpr uint32_t kOverlayCyan = 0x00FFFFu;

void setPixelSize(QPainter& p, int px) {
    QFont f = p.font();
    f.setPixelSize(px);
    p.setFont(f);
}

MainWindow* mainWindow() {
    return dynamic_cast<MainWindow*>(gpWin);
}

// Writes `value` into the paint pixels inside the image box wherever `mask` is non-zero. Only the box
// is walked; it is returned (empty when nothing was looked at).
QRect overlay(ZeroVector<uint32_t>& pixels, const cv::Mat& mask, const QRect& box, uint32_t value) {
    if (mask.empty() || box.isNull() || mask.cols != gImageW || mask.rows != gImageH) return QRect();
    const QRect r = box.normalized() & QRect(0, 0, gImageW, gImageH);
    if (r.isEmpty() || pixels.size() < size_t(gImageLen)) return QRect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* m = mask.ptr<uchar>(y);
        uint32_t* px = pixels.data() + size_t(y) * size_t(gImageW);
        for (int x = r.left(); x <= r.right(); ++x)
            if (m[x]) px[x] = value;
    }
    return r;
}

}  // namespace

void CammerWidget::fillPaintPixels() {
    if (gImageLen <= 0 || displayBuffer.size() < size_t(gColorLen) || paintPixels.size() < size_t(gImageLen))
        return;
    if (convertedSerial_ != displaySerial_ || paintPixelsForeign_) {
        if (gisColor)
            memcpy(paintPixels.data(), displayBuffer.data(), size_t(gImageLen) * 4);
        else
            Gray2RGBA(displayBuffer.data(), reinterpret_cast<int*>(paintPixels.data()), gImageW, gImageH);
        convertedSerial_ = displaySerial_;
        paintPixelsForeign_ = false;
        overlaidCount_ = 0;
        ++paintSerial;
        return;
    }
    // The same picture: only what the last overlays wrote is put back.
    for (int i = 0; i < overlaidCount_; ++i) {
        const QRect& r = overlaid_[i];
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const size_t at = size_t(y) * size_t(gImageW) + size_t(r.left());
            if (gisColor)
                memcpy(paintPixels.data() + at, displayBuffer.data() + at * 4, size_t(r.width()) * 4);
            else
                Gray2RGBA(displayBuffer.data() + at, reinterpret_cast<int*>(paintPixels.data() + at),
                          r.width(), 1);
        }
    }
    if (overlaidCount_) ++paintSerial;
    overlaidCount_ = 0;
}

bool CammerWidget::takePaintPixels() {
    if (paintLock.tryLock()) return true;
    // The push is copying the pixels: this paint shows them as they are, and the view paints again
    // in a moment, so that the GUI thread never waits for the copy.
    QTimer::singleShot(TimeMs("view.repaintBusy", 2), this, QOverload<>::of(&QWidget::update));
    return false;
}

void CammerWidget::markOverlaid(const QRect& box) {
    if (box.isEmpty()) return;
    ++paintSerial;
    if (overlaidCount_ < int(std::size(overlaid_)))
        overlaid_[overlaidCount_++] = box;
    else
        paintPixelsForeign_ = true;  // too many to keep: the next paint converts the whole picture
}

void CammerWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont f(QStringLiteral("wqy-microhei"));
    f.setWeight(50);
    p.setFont(f);
    if (gSource == 3 || gSource == 4)
        paintRecordPicture(p);
    else if (gSource == 2)
        paintRecentNG(p);
    else
        paintView(p);
}

namespace {
// The pan and zoom of the displayed camera.
QTransform zoomTransform(const MainWindow* w) {
    QTransform t;
    if (!w) return t;
    t.translate(w->zoomOffX, w->zoomOffY);
    t.scale(w->zoomScale, w->zoomScale);
    return t;
}
}  // namespace

void CammerWidget::paintRecordPicture(QPainter& p) {
    MainWindow* w = mainWindow();
    const bool large = gShowW > 1024;
    setPixelSize(p, large ? 45 : 20);
    const int baseline = large ? 40 : 20;
    p.setPen(Qt::green);
    RegiOption* bar = w ? w->regiOption : nullptr;
    if (bar && bar->picCount > 0 && !bar->picture.isNull()) {
        const QTransform base = p.transform();
        p.setTransform(zoomTransform(w), true);
        p.drawImage(QRect(0, 0, width(), height()), bar->picture);
        p.setTransform(base);
    }
    if (!bar) return;
    const int mode = gpWPara ? gpWPara->detect_mode : 0;
    p.drawText(5, baseline,
               lanText(218).arg(QString::number(bar->recordCamera + 1), stepLabel(mode, w->editorStep),
                                lanText(gSource == 3 ? 216 : 217), QString::number(bar->picCount),
                                QString::number(bar->picIndex + 1), bar->picName));
}

void CammerWidget::paintRecentNG(QPainter& p) {
    MainWindow* w = mainWindow();
    if (takePaintPixels()) {
        fillPaintPixels();
        paintLock.unlock();
    }
    const bool displayed = w && cameraIndex() >= 0 && w->displayedCamera == cameraIndex();
    const QTransform base = p.transform();
    if (displayed) p.setTransform(zoomTransform(w), true);
    if (!paintImage.isNull()) p.drawImage(QRect(0, 0, width(), height()), paintImage);
    p.setTransform(base);

    const int mode = gpWPara ? gpWPara->detect_mode : 0;
    const int step = w ? qBound(0, w->editorStep, kMaxStep - 1) : 0;
    const ViewStatus st = viewStatus(w ? w->RunState : 3, 1, false, 0, 0);
    setPixelSize(p, 45);
    p.setPen(st.colour);
    p.drawText(5, 40, lanText(313).arg(QString::number(slot + 1), stepLabel(mode, step), st.text));
    p.setPen(Qt::green);
    p.drawText(600, 40,
               lanText(314).arg(stepLabel(mode, step), QString::number(shownRecentNG + 1),
                                QString::number(std::min(recentNGCount[step], 3))));
}

void CammerWidget::updateTitleStrip() {
    MainWindow* w = mainWindow();
    const int cam = cameraIndex();
    TitleBar* bar = w ? w->titleBar : nullptr;
    if (!bar || cam < 0 || !built_) return;
    const bool templ = gSource == 0;
    const WizardPara* wp = gpWPara;
    const int mode = wp ? wp->detect_mode : 0;
    const int step = qBound(0, templ ? w->editorStep : w->DetectStep, kStepCount - 1);
    const int recheckCount = wp ? wp->front_auto_check_time : 0;
    const ViewStatus st =
        viewStatus(w->RunState, w->StepPhase, w->recheckPending != 0, recheckCount, w->RecheckLeft[step]);
    bar->setCameraInfo(slot, CameraInfo::Message,
                       lanText(313).arg(QString::number(slot + 1), stepLabel(mode, step), st.text),
                       MessageWarning);
    if (templ) return;  // the counts stay as the cycle left them while templates are shown
    bar->setCameraInfo(slot, CameraInfo::LayerNum, QString::number(gAllNum[slot]));
    bar->setCameraInfo(slot, CameraInfo::NGNum, QString::number(gFailNum[slot]));
}

void CammerWidget::paintView(QPainter& p) {
    MainWindow* w = mainWindow();
    const int cam = cameraIndex();
    // Views the cycle does not use paint nothing (slots of cameras that did not open included).
    if (!w || cam < 0 || !built_ || gImageW <= 0 || gImageH <= 0 || gShowW <= 0 || gShowH <= 0) return;
    const int source = gSource;
    const bool templ = source == 0;
    const CammerSingleton* store = templ ? data.workingStore.get() : data.savedStore.get();
    if (!store) return;
    const WizardPara* wp = gpWPara;
    const int step = qBound(0, templ ? w->editorStep : w->DetectStep, kStepCount - 1);
    const int count = qBound(0, int(store->count[step]), kRoiCount);
    const int display = w->DisplayState;
    const bool perRegionDefect = wp && wp->enable_display_detail;
    const int globalFilter = wp ? wp->minimum_size : 0;
    const int globalArea = wp ? wp->minimum_area : 0;
    const bool displayed = w->displayedCamera == cam;
    editorRegionText.clear();
    paintedBrightness = QRect();
    paintedLabelPx = 0;

    // Picture with its pixel overlays (the bridge's push reads the pixels between paints).
    const bool own = takePaintPixels();
    if (own) fillPaintPixels();
    if (own && display == 2 && source == 1 && blinkPhase == 1) {
        for (int r = 0; r < count; ++r)
            if (!data.roiOk[step][r])
                markOverlaid(overlay(paintPixels, data.alarmImage, store->imageRect(step, r), kOverlayRed));
    }
    if (own && templ) {
        for (int r = 0; r < count; ++r)
            markOverlaid(
                overlay(paintPixels, data.ignoreImages[step], store->imageRect(step, r), kOverlayCyan));
    }
    if (own && data.testShown && data.selectedRoi >= 0 && data.selectedRoi < kRoiCount)
        markOverlaid(
            overlay(paintPixels, data.testImage, store->imageRect(step, data.selectedRoi), kOverlayCyan));
    if (own) paintLock.unlock();

    const QTransform base = p.transform();
    const QTransform zoomed = displayed ? zoomTransform(w) * base : base;
    p.setTransform(zoomed);
    if (!paintImage.isNull()) p.drawImage(QRect(0, 0, width(), height()), paintImage);

    const double ix = double(width()) / gImageW, iy = double(height()) / gImageH;
    const double rx = double(width()) / gShowW, ry = double(height()) / gShowH;
    const QTransform imageFrame = QTransform::fromScale(ix, iy) * zoomed;
    const QTransform referenceFrame = QTransform::fromScale(rx, ry) * zoomed;
    const int h = height() - 1;

    const bool annotate = display == 1 || (display == 0 && ((wp && wp->show_roi_live) || templ)) ||
                          ((display == 2 || display == 3) && templ) || (display == 2 && source == 1);
    if (annotate) {
        // Result mark.
        setPixelSize(p, 45);
        if (display == 0) p.setPen(Qt::darkBlue);
        if (display == 1 || source == 1) {
            const QColor c = data.allOk ? QColor(Qt::green) : QColor(Qt::red);
            p.setPen(c);
            p.setTransform(referenceFrame);
            // At least 10 view pixels in from the left edge, also on a small tile.
            const double sx = std::max(0.01, referenceFrame.m11());
            const int markX = std::max(5, int(std::ceil(10.0 / sx)));
            p.drawText(markX, 85, data.allOk ? QStringLiteral("OK") : QStringLiteral("NG"));
            // The brightness, in view pixels at an unsquashed, legible size, ends before the camera
            // number badge of a tile.
            const QPointF at = referenceFrame.map(QPointF(1450, 40));
            p.setTransform(base);
            setPixelSize(p, viewTextPx(45, referenceFrame.m22()));
            const QString aver = lanText(367).arg(brightness);
            const QFontMetrics fm(p.font());
            const int tw = fm.horizontalAdvance(aver);
            const int x =
                beforeBadgeX(int(at.x()), tw, width(), cameraIcon.isNull() ? 0 : cameraIcon.width());
            const int y = std::max(int(std::lround(at.y())), fm.ascent() + 2);
            p.drawText(x, y, aver);
            paintedBrightness = QRect(x, y - fm.ascent(), tw, fm.height());
            setPixelSize(p, 45);
            p.setTransform(zoomed);
        }
        // Legend of the defect illustration.
        setPixelSize(p, 20);
        if (templ) {
            const struct {
                int id;
                QColor colour;
                int top;
            } rows[] = {{22, QColor(Qt::blue), h - 79}, {24, QColor(QStringLiteral("#E9967A")), h - 39}};
            for (const auto& row : rows) {
                p.setPen(row.colour);
                p.drawText(QRect(QPoint(10, row.top), QPoint(159, row.top + 24)),
                           Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("%1 :").arg(lanText(row.id)));
                p.fillRect(QRect(QPoint(160, row.top), QPoint(184, row.top + 24)), row.colour);
            }
        }
        QPoint anchor = templ ? QPoint(10, h - 39) : QPoint(5, 85);
        for (int r = 0; r < count; ++r) {
            const int func = store->func[step][r];
            if (func == kFuncPosition && !templ) continue;
            if (templ && data.selectedRoi >= 0 && r != data.selectedRoi && moveMode != 2) continue;
            const QRect box = store->imageRect(step, r);
            // What the filter size and the alarm area look like, beside each other in the region.
            if (templ && func == kFuncDefect && !box.isNull()) {
                const int cx = (box.left() + box.right()) / 2, q = (box.right() - box.left()) / 4;
                const int cy = (box.top() + box.bottom()) / 2;
                const int s1 = perRegionDefect ? store->para1[step][r] : globalFilter;
                const int s2 = isqrtInt(perRegionDefect ? store->area[step][r] : globalArea);
                const QPoint c1(int((cx - q) * gShowAW), int(cy * gShowAH));
                const QPoint c2(int((cx + q) * gShowAW), int(cy * gShowAH));
                p.fillRect(QRect(c1.x() - s1 / 2, c1.y() - s1 / 2, s1, s1), Qt::blue);
                p.fillRect(QRect(c2.x() - s2 / 2, c2.y() - s2 / 2, s2, s2),
                           QColor(QStringLiteral("#E9967A")));
            }
            const bool regionOk = data.roiOk[step][r] != 0;
            if (!data.allOk && !regionOk && display == 2 && source == 1) {
                p.setTransform(imageFrame);
                p.setPen(Qt::red);
                const RoiBoxes& boxes = data.roiBoxes[step][r];
                const int n = qBound(0, int(boxes.count), kMaxRoiBoxes);
                for (int k = 0; k < n; ++k) {
                    const int32_t* b = boxes.box[k];
                    p.drawRect(QRect(QPoint(b[0], b[1]), QPoint(b[2] - 1, b[3] - 1)));
                }
            }
            const QColor colour = display == 0               ? QColor(Qt::darkBlue)
                                  : (data.allOk || regionOk) ? QColor(Qt::green)
                                                             : QColor(Qt::red);
            p.setTransform(referenceFrame);
            QPen pen(colour);
            p.setPen(pen);
            switch (store->shape[step][r]) {
                case kShapeRect:
                    store->rect[step][r].Draw(p);
                    anchor = store->rect[step][r].rect.topLeft();
                    break;
                case kShapeRing:
                    store->circle[step][r].Draw(p);
                    anchor = QPoint(store->circle[step][r].cx, store->circle[step][r].cy);
                    break;
                case kShapePolygon: {
                    const RePolygon& poly = store->polygon[step][r];
                    poly.Draw(p);
                    if (poly.count > 0) anchor = poly.pts[0];
                    if (templ && r == data.selectedRoi && editPart >= 0 && editPart < poly.count) {
                        const QPoint v = poly.pts[editPart];
                        p.setPen(QPen(Qt::cyan, 2));
                        p.drawEllipse(QRect(QPoint(v.x() - 5, v.y() - 5), QPoint(v.x() + 4, v.y() + 4)));
                    }
                    break;
                }
                default:
                    break;  // no geometry: the label stays at the previous anchor
            }
            const QString label =
                regionLabel(*store, step, r, templ ? data.testValue[step][r] : data.roiValue[step][r],
                            perRegionDefect, globalArea);
            if (templ && data.selectedRoi >= 0) {
                editorRegionText = label;
            } else {
                // Above the anchor, in view pixels: on a tile the reference frame would shrink the text
                // below legibility and squash it.
                const QPointF a = referenceFrame.map(QPointF(anchor));
                const double sx = referenceFrame.m11(), sy = referenceFrame.m22();
                p.setTransform(base);
                const QFont frameFont = p.font();
                setPixelSize(p, viewTextPx(20, sy));
                const QFontMetrics fm(p.font());
                const int bottom = int(std::lround(a.y() - 2 * sy));
                const int h = std::max(int(std::lround(24 * sy)), fm.height());
                const int wBox = std::max(int(std::lround(400 * sx)), fm.horizontalAdvance(label) + 2);
                p.setPen(colour);
                p.drawText(QRect(int(std::lround(a.x())), bottom - h, wBox, h),
                           Qt::AlignLeft | Qt::AlignVCenter, label);
                paintedLabelPx = p.font().pixelSize();
                p.setFont(frameFont);
            }
            p.setTransform(zoomed);
        }
    }

    // Texts in the screen reference frame.
    p.setTransform(QTransform::fromScale(rx, ry) * base);
    setPixelSize(p, 45);
    const int recheckCount = wp ? wp->front_auto_check_time : 0;
    const ViewStatus st =
        viewStatus(w->RunState, w->StepPhase, w->recheckPending != 0, recheckCount, w->RecheckLeft[step]);
    p.setPen(st.colour);
    TitleBar* bar = w->titleBar;
    updateTitleStrip();
    bool active[kMaxStep] = {};
    const int steps = qBound(0, gDNum, kMaxStep);
    for (int s = 0; s < steps; ++s) active[s] = w->timerUp[s] && w->timerUp[s]->isActive();
    const QString countdown = countdownText(active, w->remainingDelay, steps);
    if (!countdown.isEmpty()) p.drawText(525, 40, countdown);

    setPixelSize(p, 40);
    p.setPen(Qt::green);
    if (templ) {
        p.drawText(850, 40,
                   lanText(315).arg(QString::number(data.shownTemplate + 1),
                                    QString::number(data.templateCount[step]), editorRegionText));
    } else {
        if (bar) bar->setCameraInfo(slot, CameraInfo::FrameRate, QString::number(w->fps[cam]));
        if (display != 3 && wp && wp->show_cavity_no) {
            p.drawText(177, 85, QStringLiteral("%1").arg(lanText(468)));
            for (const auto& t : mouldNumberTexts(store->flags[1])) p.drawText(t.first, 85, t.second);
        }
    }
    if ((source == -1 || templ) && displayed && display != 1 && bar)
        bar->setLocation(locationText(w->pointerPixel, w->pointerValue, gisColor != 0));
    if (templ) p.drawText(5, 85, gTempTime);

    // The shape being drawn, in view pixels under the zoom of the displayed camera.
    p.setTransform(zoomed);
    if (editMode == 1) {
        if (w->drawingTool == kShapePolygon) {
            p.setPen(QPen(Qt::green, 2));
            for (int i = 1; i < polyPoints.size(); ++i) p.drawLine(polyPoints[i - 1], polyPoints[i]);
            if (!polyPoints.isEmpty()) {
                const QPoint v = polyPoints.first();
                p.setPen(QPen(Qt::cyan, 2));
                p.drawEllipse(QRect(QPoint(v.x() - 5, v.y() - 5), QPoint(v.x() + 4, v.y() + 4)));
            }
        } else if (w->drawingTool == kShapeRing) {
            pendingRing.Draw(p);
        } else if (w->drawingTool == kShapeRect) {
            pendingRect.Draw(p);
        }
    }
    p.setTransform(base);
    if (editMode != 1) p.setPen(Qt::green);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, width() - 1, height() - 1));
    if (!cameraIcon.isNull()) p.drawPixmap(width() - cameraIcon.width() - 10, 10, cameraIcon);
}
