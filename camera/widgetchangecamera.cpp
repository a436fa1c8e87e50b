#include "widgetchangecamera.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camerabinding.h"
#include "cameraglobals.h"
#include "camerahost.h"
#include "widgets/indexbutton.h"

namespace {
constexpr int kWidth = 550;
constexpr int kHeight = 560;
constexpr int kRowTop = 10;
constexpr int kRowPitch = 60;
constexpr int kRowHeight = 50;
constexpr int kLabelWidth = 290;  // x 20 to 310, before the boxes at x 320

QFont dialogFont() {
    return QFont(QStringLiteral("times"), 20, 2);
}
}  // namespace

WidgetChangeCamera::WidgetChangeCamera(MainWindowBase* window) : QWidget(nullptr), m_window(window) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setGeometry(gShowW / 2 - kWidth / 2, gShowH / 2 - kHeight / 2, kWidth, kHeight);
    m_count = std::max(0, std::min(numCamera, 8));
    using Setter = void (WidgetChangeCamera::*)(int);
    static const Setter setters[8] = {&WidgetChangeCamera::SetCameraNO0, &WidgetChangeCamera::SetCameraNO1,
                                      &WidgetChangeCamera::SetCameraNO2, &WidgetChangeCamera::SetCameraNO3,
                                      &WidgetChangeCamera::SetCameraNO4, &WidgetChangeCamera::SetCameraNO5,
                                      &WidgetChangeCamera::SetCameraNO6, &WidgetChangeCamera::SetCameraNO7};
    for (int k = 0; k < m_count; ++k) {
        auto* box = new ComboBox(this);
        box->setGeometry(320, kRowTop + kRowPitch * k, 200, kRowHeight);  // "第1号" whole beside the arrow
        for (int j = 0; j < m_count; ++j) box->addItem(cameraText(394).arg(j + 1), j);
        box->setItemHeight(kRowHeight);
        box->setCurrentIndex(k);
        gCamNO[k] = k;
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, setters[k]);
        m_combo[k] = box;
    }
    m_ok = new ColorButton(cameraText(121), this, 3);
    m_ok->setGeometry(30, 490, 490, 50);
    connect(m_ok, &QPushButton::clicked, this, &WidgetChangeCamera::SlotOK);
}

void WidgetChangeCamera::SetCameraNO(int camera, int slot) {
    if (camera < 0 || camera >= 8) return;
    gCamNO[camera] = slot;
}

void WidgetChangeCamera::SlotOK() {
    for (int i = 0; i + 1 < m_count; ++i)
        for (int j = i + 1; j < m_count; ++j)
            if (gCamNO[i] == gCamNO[j]) {
                showWarnBox(cameraText(361).arg(gCamNO[i] + 1));
                return;
            }
    hide();
    if (!SaveSN(0)) {
        // Nothing was stored: restarting now would only bring back the old order without a word.
        showWarnBox(cameraText(0));
        return;
    }
    emit shutDownRequested();
}

void WidgetChangeCamera::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (gpPixmapBG && !gpPixmapBG->isNull())
        p.drawPixmap(rect(), *gpPixmapBG);
    else
        p.fillRect(rect(), QColor(0x1f, 0x2a, 0x3a));
    p.setPen(Qt::blue);
    for (int k = 0; k < m_count; ++k) {
        // Whole before the camera's box: a longer caption (English) is drawn smaller.
        const QString text = cameraText(395).arg(k + 1);
        QFont f = dialogFont();
        while (f.pointSize() > 12 && QFontMetrics(f).horizontalAdvance(text) > kLabelWidth)
            f.setPointSize(f.pointSize() - 1);
        p.setFont(f);
        p.drawText(QRect(20, kRowTop + kRowPitch * k, kLabelWidth, kRowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}
