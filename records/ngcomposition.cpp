#include "ngcomposition.h"

#include <QDebug>
#include <QFont>
#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <cstring>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/savereport.h"
#include "savefialimagethread.h"

namespace {
const QColor kOk(Qt::green);
const QColor kNg(Qt::red);

QFont textFont(int px) {
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(px);
    return f;
}

QString lan(int id) {
    return id < 0 ? QString() : gaLanStr[id * kLanColumns + gLan];
}
}  // namespace

QString failLimitText(int roiFunc, bool perRegionDefect, int globalDefectArea, int sensitivity, int area) {
    if (roiFunc == 0 && !perRegionDefect) return QString::number(globalDefectArea);
    if (roiFunc == 6) return QString::number(sensitivity);
    if (roiFunc == 1) return QStringLiteral("%1--%2").arg(sensitivity).arg(area);
    return QString::number(area);
}

QImage composeFailImage(const QImage& aligned, const FailComposition& c, int* firstNgIndex) {
    QImage out;
    if (aligned.format() == QImage::Format_Indexed8 || aligned.format() == QImage::Format_Grayscale8) {
        // Grey bytes expanded to grey pixels, whatever palette the source carries.
        QImage grey(aligned.width(), aligned.height(), QImage::Format_Grayscale8);
        for (int y = 0; y < aligned.height(); ++y)
            std::memcpy(grey.scanLine(y), aligned.constScanLine(y), size_t(aligned.width()));
        out = grey.convertToFormat(QImage::Format_RGB32);
    } else {
        out = aligned.convertToFormat(QImage::Format_RGB32);
    }
    int firstNg = 0;
    QPainter p(&out);
    p.setFont(textFont(26));
    p.setPen(c.okMark ? kOk : kNg);
    p.drawText(QPoint(5, 80), c.okMark ? QStringLiteral("OK") : QStringLiteral("NG"));
    p.drawText(QPoint(5, 110), c.title);

    p.setFont(textFont(16));
    QPoint anchor(5, 80);
    const bool shortLabels = c.regions.size() > 10;
    for (int r = 0; r < c.regions.size(); ++r) {
        const FailRegionDraw& reg = c.regions.at(r);
        p.setBrush(Qt::NoBrush);
        if (reg.ok) {
            p.setPen(kOk);
        } else {
            if (firstNg == 0) firstNg = r + 1;
            p.setPen(kNg);
            for (const FailAlarmBox& b : reg.alarmBoxes)
                // Outline corners (left, top) and (right - 1, bottom - 1): the stroke adds one pixel.
                p.drawRect(QRect(b.left, b.top, b.right - 1 - b.left, b.bottom - 1 - b.top));
        }
        switch (reg.shape) {
            case FailRegionDraw::Shape::Polygon:
                if (!reg.polygon.isEmpty()) {
                    p.drawPolygon(reg.polygon);
                    anchor = reg.polygon.first();
                }
                break;
            case FailRegionDraw::Shape::Rect:
                p.drawRect(reg.rect);
                anchor = reg.rect.topLeft();
                break;
            case FailRegionDraw::Shape::Custom:
                if (reg.drawCustom) {
                    p.save();
                    reg.drawCustom(p);
                    p.restore();
                }
                anchor = reg.anchor;
                break;
            case FailRegionDraw::Shape::None:
                break;
        }
        p.setPen(reg.ok ? kOk : kNg);
        const QString label =
            shortLabels ? QStringLiteral("%1: %2").arg(r + 1).arg(reg.valueText)
                        : QStringLiteral("%1: %2 / %3 ").arg(r + 1).arg(reg.limitText, reg.valueText);
        p.drawText(QRect(QPoint(anchor.x(), anchor.y() - 26), QPoint(anchor.x() + 399, anchor.y() - 2)),
                   Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    p.end();
    if (firstNgIndex) *firstNgIndex = firstNg;
    return out;
}

FailStamp failStampFor(int imageState) {
    switch (imageState) {
        case 4:
            return {120, 47, 9};
        case 5:
            return {120, 48, 9};
        case 6:
            return {120, 338, 9};
        case 7:
            return {120, 61, 8};
        case 8:
            return {143, -1, 10};
        default:
            return {-1, -1, imageState};
    }
}

void drawFailStamp(QImage& picture, const QString& text) {
    QPainter p(&picture);
    p.setFont(textFont(26));
    p.setPen(kNg);
    p.drawText(QPoint(55, 80), text);
}

int stampFailImage(int camera, int step, int k, int imageState) {
    const FailStamp s = failStampFor(imageState);
    QImage img = failImageCopy(camera, step, k);
    if (!img.isNull()) {
        drawFailStamp(img, lan(s.prefixId) + lan(s.textId));
        storeFailImage(camera, step, k, img);
    }
    return s.nextState;
}

bool saveTemplateBitmap(const QString& path, const unsigned char* data, int width, int height, bool grey) {
    if (!data || width <= 0 || height <= 0) return false;
    QImage img;
    if (grey) {
        img = QImage(data, width, height, width, QImage::Format_Indexed8).copy();
        QVector<QRgb> table(256);
        for (int i = 0; i < 256; ++i) table[i] = qRgb(i, i, i);
        img.setColorTable(table);
    } else {
        img = QImage(data, width, height, width * 4, QImage::Format_RGB32).copy();
    }
    // Encoded whole in memory, then written checked: a full disk keeps the previous file.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(img)) {
        qWarning().noquote() << "template not encoded:" << path << writer.errorString();
        return false;
    }
    buffer.close();
    return saveFileReported(SavedFile::Templates, path, bytes);
}
