#include "cammerwidget.h"

#include <algorithm>
#include <cmath>

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <opencv2/imgproc.hpp>

#include "app/imageglobals.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "mainwindow.h"
#include "netbridge/cnt_net.h"
#include "records/ngcomposition.h"
#include "records/savefialimagethread.h"

namespace {
QString stepFolder(int slot, int step) {
    return QStringLiteral("./cammer%1%2").arg(slot + 1).arg(step + 1);
}
}  // namespace

bool loadTemplateImage(const QString& file, cv::Mat& out) {
    QImage img;
    if (!QFile::exists(file) || !img.load(file)) return false;
    if (img.width() != gImageW || img.height() != gImageH) return false;
    // The depth must match the processing: 8 bits for grey, 32 bits for colour.
    const int wanted = gisColor ? 32 : 8;
    if (img.depth() != wanted) return false;
    if (gisColor) {
        img = img.convertToFormat(QImage::Format_RGB32);  // memory order B, G, R, 255
        out.create(gImageH, gImageW, CV_8UC4);
    } else {
        // Indexed pictures are turned into grey through their colour table (identity for the grey
        // table the writers use).
        img = img.convertToFormat(QImage::Format_Grayscale8);
        out.create(gImageH, gImageW, CV_8UC1);
    }
    const size_t rowBytes = size_t(gImageW) * (gisColor ? 4 : 1);
    for (int y = 0; y < gImageH; ++y) memcpy(out.ptr(y), img.constScanLine(y), rowBytes);
    return true;
}

bool loadIgnoreMask(const QString& file, cv::Mat& out) {
    QImage img;
    if (!QFile::exists(file) || !img.load(file)) return false;
    if (img.width() != gImageW || img.height() != gImageH) return false;
    img = img.convertToFormat(QImage::Format_Grayscale8);
    out.create(gImageH, gImageW, CV_8UC1);
    for (int y = 0; y < gImageH; ++y) memcpy(out.ptr(y), img.constScanLine(y), size_t(gImageW));
    return true;
}

void makeSyntheticMaster(cv::Mat& out) {
    out = cv::Mat::zeros(gImageH, gImageW, gisColor ? CV_8UC4 : CV_8UC1);
    const int qx = gImageW / 4;
    const int qy = gImageH / 4;
    const cv::Rect box(qx, qy, 3 * qx - qx + 1, 3 * qy - qy + 1);
    const cv::Rect inside = box & cv::Rect(0, 0, gImageW, gImageH);
    out(inside).setTo(gisColor ? cv::Scalar(255, 255, 255, 0) : cv::Scalar(255));
}

CammerWidget::CammerWidget(int s, QWidget* parent) : QWidget(parent), CameraSlot(s) {
    QPixmap icon(QStringLiteral(":/img/icons/camNum%1.png").arg(s + 1));
    if (!icon.isNull()) cameraIcon = icon.scaledToWidth(48, Qt::SmoothTransformation);

    prevTemplateButton = new QPushButton(this);
    nextTemplateButton = new QPushButton(this);
    const struct {
        QPushButton* button;
        const char* icon;
        QPoint at;
    } buttons[] = {{prevTemplateButton, ":/img/icons/107.png", {40, 400}},
                   {nextTemplateButton, ":/img/icons/108.png", {1600, 400}}};
    for (const auto& b : buttons) {
        b.button->setFixedSize(60, 60);
        b.button->setIcon(QIcon(QString::fromLatin1(b.icon)));
        b.button->setIconSize(QSize(60, 60));
        b.button->setAutoRepeat(true);
        b.button->move(b.at);
    }
    connect(prevTemplateButton, &QPushButton::clicked, this, &CammerWidget::templateLastRequested);
    connect(nextTemplateButton, &QPushButton::clicked, this, &CammerWidget::templateNextRequested);
    setStyleSheet(
        QStringLiteral("QPushButton{border-style:none;background:transparent;}QPushButton:pressed{background-"
                       "color:#FFC107;}"));
    ShowHideTool(0);

    if (gpWPara && s >= 0 && s < kMaxCamera) {
        // The camera layer scales the stored values into the filter's own units.
        SetFilterTexts(gpWPara->contrast[s], gpWPara->gamma[s], gpWPara->sharp[s]);
    }
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    hide();

    data.selectedRoi = -1;
    brightness = 0;

    AllocCameraBuffers();  // before the open: the back-ends are handed their buffers there
    CameraOpen();
    opened_ = s >= 0 && s < kMaxCamera && gCameraActive[s];
    if (opened_) ++numCamera;
    if (!opened_ && s > 0) {
        // A slot without a camera stays an empty view: it takes no picture memory (a test view is
        // given it when it is completed).
        FreeCameraBuffers();
        return;
    }
    buildAfterOpen();
    if (opened_) CameraStart();
    // Video sharing of camera images: the painted picture goes to the network client.
    if (opened_ && gpWPara && gpWPara->video_share_mode == 2 && CNT_BridgeUp())
        gpNet->CNT_AddUseMemory(s, gImageW, gImageH, paintPixels.data(), &paintLock, &paintSerial);
}

CammerWidget::~CammerWidget() {
    if (gpNet) gpNet->forgetPixels(slot);
    CameraClose();
}

void CammerWidget::buildAfterOpen() {
    if (frameBuffer.size() != size_t(std::max(gColorLen, 0))) AllocCameraBuffers();
    sizeZeroed(displayBuffer, size_t(std::max(gColorLen, 0)));
    displayChanged();
    sizeZeroed(paintPixels, size_t(std::max(gImageLen, 0)));  // black until the first paint
    if (gImageLen > 0)
        paintImage = QImage(reinterpret_cast<uchar*>(paintPixels.data()), gImageW, gImageH, gImageW * 4,
                            QImage::Format_RGB32);
    data.allocate(slot);  // working buffer, aligned image, alarm map, templates, ignore masks, stores
    data.allOk = true;
    blinkPhase = 0;
    for (int d = 0; d < kMaxStep; ++d) learnPending[d] = false;
    LoadTemplates();
    shownRecentNG = 0;
    for (int d = 0; d < gDNum && d < kMaxStep; ++d) {
        recentNGCount[d] = 0;
        skipFlag[d] = false;
        for (auto& buf : recentNG[d]) buf.clear();  // taken when the step first stores an NG frame
    }
    LoadIgnorePoint();
    if (ParameterManager* pm = ParameterManager::getInstance(); pm && pm->paramDb.isOpen())
        data.savedStore->LoadDatafromFile(pm->paramQuery, &data);
    recong = std::make_unique<CammerRecong>(data.savedStore.get(), &data);
    data.repaint = [this] { update(); };
    blinkTimer = new QTimer(this);
    connect(blinkTimer, &QTimer::timeout, this, &CammerWidget::TimerShowAlarm);
    rangeState = 0;
    moveMode = 0;
    built_ = true;
}

void CammerWidget::CompleteAsTestView() {
    if (!built_) buildAfterOpen();
}

void CammerWidget::LoadTemplates() {
    for (int d = 0; d < gDNum && d < kMaxStep; ++d) {
        auto& temps = data.templates[d];
        auto& loaded = data.templateLoaded[d];
        data.templateCount[d] = 0;
        for (size_t k = 0; k < temps.size(); ++k) {
            const QString file = QStringLiteral("%1/template%2.bmp").arg(stepFolder(slot, d)).arg(k);
            cv::Mat img;
            if (loadTemplateImage(file, img)) {
                temps[k] = img;
                loaded[k] = 1;
                ++data.templateCount[d];
            } else {
                data.releaseTemplate(d, int(k));  // an empty slot takes no memory
            }
        }
        if (!temps.empty() && !loaded[0]) {
            makeSyntheticMaster(temps[0]);
            loaded[0] = 1;
            ++data.templateCount[d];
        }
    }
}

void CammerWidget::LoadIgnorePoint() {
    for (int d = 0; d < gDNum && d < kMaxStep; ++d) {
        cv::Mat mask;
        if (loadIgnoreMask(QStringLiteral("%1/ignorepoint.bmp").arg(stepFolder(slot, d)), mask))
            data.ignoreImages[d] = mask;
        else
            data.ignoreImages[d] = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    }
}

bool CammerWidget::SaveIgnorePoint(int step) {
    if (step < 0 || step >= kMaxStep || gImageLen <= 0) return false;
    cv::Mat& mask = data.ignoreImages[step];
    if (mask.empty() || mask.cols != gImageW || mask.rows != gImageH || mask.type() != CV_8UC1 ||
        !mask.isContinuous())
        return false;
    const QString file = QStringLiteral("%1/ignorepoint.bmp").arg(stepFolder(slot, step));
    if (!saveTemplateBitmap(file, mask.data, gImageW, gImageH, true)) {
        qWarning().noquote() << "ignore mask kept in memory only, not written:" << file;
        return false;
    }
    if (CNT_ClientReady()) gpNet->CNT_SendTempPic(QFileInfo(file).absoluteFilePath());
    return true;
}

void CammerWidget::ShowHideTool(int bits) {
    prevTemplateButton->setVisible(bits & 1);
    nextTemplateButton->setVisible(bits & 1);
    if (drawingBar) drawingBar->setVisible(bits & 2);
}

int CammerWidget::cameraIndex() const {
    auto* w = qobject_cast<MainWindow*>(gpWin);
    return w ? int(w->cams.indexOf(const_cast<CammerWidget*>(this))) : -1;
}

void CammerWidget::SaveFailImage(int step, int k) {
    const int cam = cameraIndex();
    if (cam < 0 || step < 0 || step >= kMaxStep || !built_ || !data.savedStore || gImageLen <= 0 ||
        data.alignedBuffer.size() < size_t(gColorLen))
        return;
    auto* w = qobject_cast<MainWindow*>(gpWin);
    data.completeAlignment();  // positioning aligned only the region boxes
    const QImage aligned =
        gisColor ? QImage(data.alignedBuffer.data(), gImageW, gImageH, gImageW * 4, QImage::Format_RGB32)
                 : QImage(data.alignedBuffer.data(), gImageW, gImageH, gImageW, QImage::Format_Grayscale8);

    FailComposition c;
    c.okMark = k != 0;
    if (w && w->safeDoorTrigger) c.title = lanText(265);
    const CammerSingleton& store = *data.savedStore;
    const WizardPara* p = gpWPara;
    const int regions = qBound(0, store.count[step], kRoiCount);
    c.regions.resize(regions);
    for (int r = 0; r < regions; ++r) {
        FailRegionDraw& reg = c.regions[r];
        reg.ok = data.roiOk[step][r] != 0;
        const RoiBoxes& boxes = data.roiBoxes[step][r];
        for (int b = 0; b < qBound(0, boxes.count, kMaxRoiBoxes); ++b)
            reg.alarmBoxes.append({boxes.box[b][0], boxes.box[b][1], boxes.box[b][2], boxes.box[b][3]});
        switch (store.shape[step][r]) {
            case kShapePolygon: {
                const RePolygon& poly = store.polygon[step][r];
                const int n = qBound(0, poly.count, kMaxPolygonPoints);
                if (n > 0) {
                    reg.shape = FailRegionDraw::Shape::Polygon;
                    reg.polygon = QPolygon(n);
                    for (int i = 0; i < n; ++i) reg.polygon[i] = poly.imgPts[i];
                }
                break;
            }
            case kShapeRing: {
                // The ring draws its screen geometry; the scale turns it into image pixels.
                const Circle* ring = &store.circle[step][r];
                reg.shape = FailRegionDraw::Shape::Custom;
                reg.anchor = ring->imgRect.topLeft();
                reg.drawCustom = [ring](QPainter& painter) {
                    if (gShowAW > 0 && gShowAH > 0) painter.scale(1.0 / gShowAW, 1.0 / gShowAH);
                    ring->Draw(painter);
                };
                break;
            }
            case kShapeRect:
                reg.shape = FailRegionDraw::Shape::Rect;
                reg.rect = store.rect[step][r].imgRect;
                break;
            default:
                break;
        }
        reg.limitText = failLimitText(store.func[step][r], p && p->enable_display_detail != 0,
                                      p ? p->minimum_area : 0, store.sens[step][r], store.area[step][r]);
        reg.valueText = QString::number(data.roiValue[step][r]);
    }

    int firstNg = 0;
    const QImage picture = composeFailImage(aligned, c, &firstNg);
    // The view's own pixel buffer holds the composed picture until the next paint.
    if (paintPixels.size() >= size_t(gImageLen) && picture.width() == gImageW &&
        picture.height() == gImageH) {
        QMutexLocker pixels(&paintLock);
        for (int y = 0; y < gImageH; ++y)
            memcpy(paintPixels.data() + size_t(y) * size_t(gImageW), picture.constScanLine(y),
                   size_t(gImageW) * 4);
        paintPixelsForeign_ = true;
        ++paintSerial;
    }
    if (!storeFailImage(cam, step, k, picture, firstNg))
        qWarning().noquote() << "NG picture not stored: camera" << cam + 1 << "step" << step + 1;
}

void CammerWidget::UpdateFailImage(int step, int k) {
    const int cam = cameraIndex();
    auto* w = qobject_cast<MainWindow*>(gpWin);
    if (!w || cam < 0 || cam >= kMaxCamera || step < 0 || step >= kMaxStep) return;
    int& state = w->ImageState[cam][step];
    state = stampFailImage(cam, step, k, state);
}

void CammerWidget::SaveReTrainImage(int step) {
    if (!built_ || step < 0 || step >= kMaxStep || gImageLen <= 0 || data.templates[step].empty()) return;
    const size_t len = size_t(gColorLen);
    if (data.rawBuffer.size() < len || data.alignedBuffer.size() < len || displayBuffer.size() < len) return;
    data.alignment.pending = false;
    memcpy(data.alignedBuffer.data(), data.rawBuffer.data(), len);
    memcpy(displayBuffer.data(), data.alignedBuffer.data(), len);
    displayChanged();
    cv::Mat& master = data.templates[step][0];
    master.create(gImageH, gImageW, gisColor ? CV_8UC4 : CV_8UC1);
    memcpy(master.data, data.alignedBuffer.data(), len);

    const QString file = QStringLiteral("%1/template0.bmp").arg(stepFolder(slot, step));
    if (!saveTemplateBitmap(file, master.data, gImageW, gImageH, !gisColor)) {
        // The new master is in use all the same; the network client hears only of written files.
        qWarning().noquote() << "master template kept in memory only, not written:" << file;
        return;
    }
    if (CNT_ClientReady()) gpNet->CNT_SendTempPic(QFileInfo(file).absoluteFilePath());
}

namespace {
RoiEditorHooks* roiEditor() {
    auto* w = qobject_cast<MainWindow*>(gpWin);
    return w ? w->drawROIWidget : nullptr;
}
}  // namespace

void CammerWidget::mousePressEvent(QMouseEvent* event) {
    if (RoiEditorHooks* e = roiEditor()) e->viewMousePress(this, event);
    QWidget::mousePressEvent(event);
}

void CammerWidget::mouseMoveEvent(QMouseEvent* event) {
    if (RoiEditorHooks* e = roiEditor()) e->viewMouseMove(this, event);
    QWidget::mouseMoveEvent(event);
}

void CammerWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (RoiEditorHooks* e = roiEditor()) e->viewMouseRelease(this, event);
    QWidget::mouseReleaseEvent(event);
}

void CammerWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
}

void CammerWidget::TimerShowAlarm() {
    if (data.allOk) {
        blinkPhase = 0;
        if (blinkTimer) blinkTimer->stop();
    } else {
        blinkPhase ^= 1;
    }
    update();
}

int CammerWidget::MeanBrightness() const {
    if (data.rawBuffer.size() < size_t(gColorLen) || gImageLen <= 0) return 0;
    cv::Mat src(gImageH, gImageW, gisColor ? CV_8UC4 : CV_8UC1, const_cast<uchar*>(data.rawBuffer.data()));
    const cv::Scalar m = cv::mean(src);
    if (!gisColor) return int(m[0]);
    // Blue, green, red, 0 per pixel: the grey weights are linear, so the mean grey of the frame is the
    // weighted sum of the channel means (no grey copy of every frame).
    return int(std::lround(0.114 * m[0] + 0.587 * m[1] + 0.299 * m[2]));
}

void CammerWidget::ShowWorkingImage() {
    if (data.rawBuffer.size() < size_t(gColorLen) || displayBuffer.size() < size_t(gColorLen)) return;
    memcpy(displayBuffer.data(), data.rawBuffer.data(), size_t(gColorLen));
    displayChanged();
    update();
}
