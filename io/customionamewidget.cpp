#include "customionamewidget.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/wizardpara.h"
#include "ionames.h"
#include "iosettingsdialog.h"
#include "iowidget.h"
#include "widgets/indexbutton.h"
#include "widgets/kittext.h"

namespace {

// Wider than 180 pixels: a 30-pixel name such as "Al thread" stays whole beside the drop-down arrow,
// and eight columns still fit the 1920-pixel window.
constexpr int kCellW = 220;
constexpr int kCellH = 60;
constexpr int kFontPx = 30;
constexpr int kMinFontPx = 18;
constexpr int kBoxPadLeft = 10;
constexpr int kBoxPadRight = 4;
constexpr int kArrowW = 50;  // the application's drop-down arrow, inside the padding

QFont microhei(int px) {
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(px);
    return f;
}

QLabel* terminalLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFixedSize(kCellW, kCellH);
    l->setFont(microhei(kFontPx));
    l->setAlignment(Qt::AlignCenter);
    QPalette pal = l->palette();
    pal.setColor(QPalette::All, QPalette::WindowText, Qt::yellow);
    l->setPalette(pal);
    // The application's label rule would override size and colour.
    l->setStyleSheet(QStringLiteral("font-size:%1px;color:yellow;").arg(kFontPx));
    return l;
}

ComboBox* functionBox(QWidget* parent, int functions, QString (*name)(int)) {
    auto* b = new ComboBox(parent);
    b->setFixedSize(kCellW, kCellH);
    b->setFont(microhei(kFontPx));
    for (int f = 0; f < functions; ++f) b->addItem(name(f));
    // 30 pixels where every name fits beside the drop-down arrow, smaller where one would be cut.
    int px = kFontPx;
    for (; px > kMinFontPx; --px) {
        QFont font = b->font();
        font.setPixelSize(px);
        const QFontMetrics metrics(font);
        bool fits = true;
        for (int i = 0; i < b->count() && fits; ++i)
            fits = metrics.horizontalAdvance(b->itemText(i)) <=
                   kCellW - kBoxPadLeft - kBoxPadRight - kArrowW - 6;
        if (fits) break;
    }
    b->setStyleSheet(QStringLiteral("QComboBox{font-size:%1px;padding:1px %2px 1px %3px;}")
                         .arg(px)
                         .arg(kBoxPadRight)
                         .arg(kBoxPadLeft));
    return b;
}

}  // namespace

CustomIONameWidget::CustomIONameWidget(QWidget* window, IOWidget* ioPage, IOSettingsDialog* dialog)
    : QWidget(window), m_dialog(dialog), m_ioPage(ioPage) {
    setWindowFlags(Qt::CustomizeWindowHint);
    m_grid = new QGridLayout(this);
    m_grid->setSpacing(10);
    m_grid->setSizeConstraint(QLayout::SetFixedSize);
    for (int j = 0; j < kCustomTerminals; ++j) {
        labels[j] = terminalLabel(customInputLabel(j), this);
        boxes[j] = functionBox(this, kInputFunctions, &inputFunctionName);
        labels[8 + j] = terminalLabel(customOutputLabel(j), this);
        boxes[8 + j] = functionBox(this, kOutputFunctions, &outputFunctionName);
        m_grid->addWidget(labels[j], 0, j);
        m_grid->addWidget(boxes[j], 1, j);
        m_grid->addWidget(labels[8 + j], 2, j);
        m_grid->addWidget(boxes[8 + j], 3, j);
    }
    confirmButton = new ColorButton(kitText(121), this, 3);
    confirmButton->setFixedSize(kCellW, 70);
    m_grid->addWidget(confirmButton, 4, 7);
    connect(confirmButton, &QPushButton::clicked, this, &CustomIONameWidget::accept);
    show();
}

void CustomIONameWidget::init() {
    if (!m_ioPage) return;
    for (int j = 0; j < kCustomTerminals; ++j) {
        boxes[j]->setCurrentIndex(m_ioPage->inputFunction(j));
        boxes[8 + j]->setCurrentIndex(m_ioPage->outputFunction(j));
    }
}

void CustomIONameWidget::accept() {
    for (int j = 0; j < kCustomTerminals; ++j) {
        // A box showing nothing (its function was outside the list) keeps the stored choice.
        const int in = boxes[j]->currentIndex();
        const int out = boxes[8 + j]->currentIndex();
        if (in >= 0) {
            if (m_ioPage) m_ioPage->setInputFunction(j, in);
            if (gpWParaBak) gpWParaBak->custom_input_func[j] = in;
        }
        if (out >= 0) {
            if (m_ioPage) m_ioPage->setOutputFunction(j, out);
            if (gpWParaBak) gpWParaBak->custom_output_func[j] = out;
        }
    }
    hide();
    if (m_ioPage) m_ioPage->ResetIOName();
    if (m_dialog) m_dialog->showDialog();
}

void CustomIONameWidget::showEvent(QShowEvent* event) {
    if (QWidget* w = parentWidget()) move((w->width() - width()) / 2, (w->height() - height()) / 2);
    QWidget::showEvent(event);
}

void CustomIONameWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (gpPixmapBG) painter.drawPixmap(rect(), *gpPixmapBG);
}
