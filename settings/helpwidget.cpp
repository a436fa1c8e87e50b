#include "helpwidget.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextStream>

#include "platform/system/profile.h"
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/lanstr.h"
#include "camera/cameraglobals.h"
#include "settingstext.h"
#include "widgets/indexbutton.h"

int gHelpC = 0;

// ---------------------------------------------------------------------------------------------------
// Help pages

HelpWidget::HelpWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(QStringLiteral(
        "HelpWidget{ background:transparent;border:2px solid #d3d3d3;}QPushButton{background-color:#ffffff;"
        "color:#656263;font-size:25px;}QPushButton:pressed{color:#656263;background-color:#d3d3d3;}"));
    lastButton = new QPushButton(setText(339), this);
    nextButton = new QPushButton(setText(340), this);
    alarmButton = new QPushButton(setText(146), this);
    returnButton = new QPushButton(setText(58), this);
    auto* row = new QHBoxLayout;
    row->addStretch();
    const QSize size = gShowW >= 1025 ? QSize(160, 60) : QSize(100, 40);
    for (QPushButton* b : {lastButton, nextButton, alarmButton, returnButton}) {
        b->setMinimumSize(size);
        row->addWidget(b);
    }
    row->addStretch();
    auto* col = new QVBoxLayout(this);
    col->addStretch();
    col->addLayout(row);
    connect(lastButton, &QPushButton::clicked, this, &HelpWidget::SlotLast);
    connect(nextButton, &QPushButton::clicked, this, &HelpWidget::SlotNext);
    connect(alarmButton, &QPushButton::clicked, this, &HelpWidget::SlotAlarm);
    connect(returnButton, &QPushButton::clicked, this, &HelpWidget::SlotReturn);
    loadPages();
}

QString HelpWidget::pageFolder() {
    return gLan == 0   ? QStringLiteral("./help/")
           : gLan == 2 ? QStringLiteral("./help-tw/")
                       : QStringLiteral("./help-en/");
}

void HelpWidget::loadPages() {
    files.clear();
    shown = QPixmap();
    shownIndex = -1;
    folder = pageFolder();
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
        if (files.size() >= kMaxPages) break;
        // The header only: a page is decoded when it is shown.
        QImageReader reader(folder + name);
        if (!reader.canRead() || !reader.size().isValid()) continue;
        files.append(name);
    }
    gHelpC = 0;
}

const QPixmap& HelpWidget::page(int index) {
    if (index != shownIndex) {
        shownIndex = index;
        shown = files.isEmpty() ? QPixmap(QStringLiteral(":/img/icons/camera.png"))
                                : QPixmap(folder + files.value(index));
    }
    return shown;
}

void HelpWidget::SlotNext() {
    gHelpC = gHelpC + 1 < pageCount() ? gHelpC + 1 : 0;
    update();
}

void HelpWidget::SlotLast() {
    gHelpC = gHelpC > 0 ? qMin(gHelpC - 1, pageCount() - 1) : pageCount() - 1;
    update();
}

void HelpWidget::SlotAlarm() {
    gHelpC = qMin(kAlarmPage, pageCount() - 1);
    update();
}

void HelpWidget::SlotReturn() {
    gHelpC = 0;
    update();
}

void HelpWidget::paintEvent(QPaintEvent* event) {
    BWidget::paintEvent(event);
    const QPixmap& pm = page(qBound(0, gHelpC, pageCount() - 1));  // gHelpC is shared: never trusted
    if (pm.isNull()) return;
    QPainter painter(this);
    const int bar = returnButton->height() + 20;
    const QRect area = rect().adjusted(2, 2, -2, -bar);
    painter.fillRect(area, QColor(0x65, 0x62, 0x63));  // the stand-in camera picture is white
    const QSize fitted = pm.size().scaled(area.size(), Qt::KeepAspectRatio);
    const QRect target(area.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
    painter.drawPixmap(target, pm);
}

// ---------------------------------------------------------------------------------------------------
// Hardware configuration

namespace {
// The keys of the installed list in the language shown; other keys as they stand.
QString keyText(const QString& key) {
    static const struct {
        const char* key;
        int id;
    } kKeys[] = {{"Panel computer", 690}, {"Profile", 691}, {"Screen", 692},   {"Cameras", 693},
                 {"Interfaces", 694},     {"Count", 695},   {"IO board", 696}, {"Port", 697}};
    for (const auto& k : kKeys)
        if (key == QLatin1String(k.key) && !setText(k.id).isEmpty()) return setText(k.id);
    return key;
}
}  // namespace

QVector<HardwareConfigurationWidget::Entry> HardwareConfigurationWidget::readConf(const QString& path) {
    QVector<Entry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entries;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty()) continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        Entry e;
        e.key = fields.value(0).replace(QLatin1Char('_'), QLatin1Char(' '));
        e.value = fields.value(1).replace(QLatin1Char('_'), QLatin1Char(' '));
        entries.append(e);
    }
    return entries;
}

HardwareConfigurationWidget::HardwareConfigurationWidget(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint);
    resize(1500, 800);
    move(qMax(0, (gShowW - width()) / 2), qMax(0, (gShowH - height()) / 2));
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(30);
    setFont(f);
    auto* grid = new QGridLayout(this);
    grid->setSpacing(10);
    grid->setContentsMargins(50, 50, 50, 50);
    const QVector<Entry> entries = readConf(QStringLiteral("conf.txt"));
    int row = 0;
    for (Entry e : entries) {
        // "Profile" says how the program runs: on the panel, or simulated on another computer.
        if (e.key == QLatin1String("Profile")) e.value = setText(isSimulated() ? 698 : 699);
        const bool heading = e.value.isEmpty();
        const QString colour = heading ? QStringLiteral("color:cyan;") : QStringLiteral("color:yellow;");
        auto* key = new QLabel(keyText(e.key), this);
        auto* value = new QLabel(e.key == QLatin1String("Count") ? QString() : e.value, this);
        key->setStyleSheet(colour);
        value->setStyleSheet(colour);
        if (e.key == QLatin1String("Count")) countLabel = value;
        grid->addWidget(key, row, 0);
        grid->addWidget(value, row, 1);
        keyLabels.append(key);
        valueLabels.append(value);
        ++row;
    }
    confirmButton = new ColorButton(setText(121), this, 3);
    confirmButton->setFixedSize(150, 50);
    grid->setRowStretch(row, 1);
    grid->addWidget(confirmButton, row + 1, 0, 1, 2, Qt::AlignHCenter | Qt::AlignBottom);
    connect(confirmButton, &QPushButton::clicked, this, &HardwareConfigurationWidget::slotConfirm);
}

void HardwareConfigurationWidget::slotConfirm() {
    hide();
    emit confirmed();
}

void HardwareConfigurationWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (gpPixmapBG && !gpPixmapBG->isNull())
        painter.drawPixmap(rect(), *gpPixmapBG);
    else
        painter.fillRect(rect(), QColor(0x1f, 0x3f, 0x8d));
}

void HardwareConfigurationWidget::showEvent(QShowEvent* event) {
    if (countLabel) countLabel->setText(QString::number(gCameraID == kCameraNone ? 0 : numCamera));
    QWidget::showEvent(event);
}
