#include "statisticswidget.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "platform/system/commandrunner.h"
#include "platform/system/fileops.h"
#include "platform/system/sysclock.h"
#include "platform/system/syspath.h"
#include "platform/system/timing.h"
#include "tempalarm.h"
#include "widgets/edit.h"
#include "widgets/editbox.h"
#include "widgets/indexbutton.h"

namespace {
const char* kListConnection = "dbListRes";
UsbDiskFinder usbDiskFinder = nullptr;
const char* kFont = "wqy-microhei";

QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

std::function<unsigned()>& cycleSource() {
    static std::function<unsigned()> source;
    return source;
}

QLabel* makeLabel(const QString& text, QWidget* parent, QSize size, int points, const char* style = nullptr) {
    auto* l = new QLabel(text, parent);
    l->setFixedSize(size);
    l->setFont(QFont(QString::fromLatin1(kFont), points));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (style) l->setStyleSheet(QString::fromLatin1(style));
    return l;
}

QList<int> hours(int from, int count) {
    QList<int> h;
    for (int i = 0; i < count; ++i) h << (from + i) % 24;
    return h;
}
}  // namespace

// ---------------------------------------------------------------------------------------------------
// Histogram

Histogram::Histogram(QWidget* parent, const QList<int>& xValues) : QWidget(parent), m_x(xValues) {
    m_y1 = fitted({});
    m_y2 = fitted({});
    clcMaxY();
}

QList<int> Histogram::fitted(const QList<int>& values) const {
    QList<int> out = values.mid(0, m_x.size());
    while (out.size() < m_x.size()) out << 0;
    return out;
}

void Histogram::modifyDataAxisY(const QList<int>& series1, const QList<int>& series2) {
    m_y1 = fitted(series1);
    m_y2 = fitted(series2);
    clcMaxY();
    update();
}

void Histogram::clcMaxY() {
    m_maxY = 0;
    for (int v : m_y1) m_maxY = qMax(m_maxY, v);
    for (int v : m_y2) m_maxY = qMax(m_maxY, v);
}

void Histogram::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int W = width();
    const int H = height();
    const int n = m_x.size();
    p.setPen(Qt::black);
    p.setFont(QFont(QString::fromLatin1(kFont), 15));
    p.drawLine(0, H - 20, W, H - 20);
    p.drawLine(20, 40, 20, H);

    const double s = m_maxY > 0 ? double(H - 60) / m_maxY : 0.0;
    const double d = double((W - 40) / (n + 1));
    const double a = d / 2;
    const QColor okColour(0, 255, 0, 200);
    const QColor ngColour(255, 0, 0, 200);
    for (int i = 0; i < n; ++i) {
        const double x = (i + 1) * d + 20;
        p.drawLine(int(x), H - 30, int(x), H - 20);
        p.drawText(QRect(int(x - a), H - 20, int(d), 20), Qt::AlignCenter, QString::number(m_x[i]));
        const struct {
            int value;
            double left;
            QColor colour;
        } bars[2] = {{m_y1[i], x - a, okColour}, {m_y2[i], x, ngColour}};
        for (const auto& b : bars) {
            const int h = int(b.value * s);
            if (h > 0) p.fillRect(QRect(int(b.left), H - h - 20, int(a), h), b.colour);
            p.drawText(QRect(int(b.left), qMin(H - 40, H - h - 20), int(a), 20), Qt::AlignCenter,
                       QString::number(b.value));
        }
    }

    p.setFont(QFont(QString::fromLatin1(kFont), 20));
    p.drawText(QRect(W - 140, 5, 100, 30), Qt::AlignCenter, QString::fromUtf8("产出次数"));
    const int l1 = (W - 140) - int(5 + a);
    p.fillRect(QRect(l1, 5, int(a), 30), okColour);
    p.drawText(QRect(l1 - 105, 5, 100, 30), Qt::AlignCenter, QString::fromUtf8("异常次数"));
    p.fillRect(QRect((l1 - 105) - int(5 + a), 5, int(a), 30), ngColour);
}

// ---------------------------------------------------------------------------------------------------
// TemperatureStatisticsWidget

TemperatureStatisticsWidget::TemperatureStatisticsWidget(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setAlignment(Qt::AlignCenter);
    for (int k = 0; k < 8; ++k) {
        m_boxes[k] =
            new EditTempBox(0, 1000, 0, 0, this, tr("温度%1").arg(k + 1), QString::fromUtf8("℃"), 2, 10);
        m_boxes[k]->setFixedSize(360, 50);
        m_boxes[k]->setFont(QFont(QString::fromLatin1(kFont), 32));
        grid->addWidget(m_boxes[k], k % 4, k / 4);
    }
}

void TemperatureStatisticsWidget::updateTemp(const QVector<float>& values) {
    for (int k = 0; k < 8 && k < values.size(); ++k) {
        // Nearest tenth: a float such as 25.3 is 25.2999..., which must not read as 25.2.
        double tenths = double(values[k]) * 10.0;
        if (!std::isfinite(tenths)) tenths = 0;
        m_boxes[k]->setValue(int(std::lround(qBound(-1.0e8, tenths, 1.0e8))));
    }
}

bool TemperatureStatisticsWidget::judgeTemperature() const {
    for (EditTempBox* b : m_boxes)
        if (!b->judgeValue()) return true;
    return false;
}

void TemperatureStatisticsWidget::showEvent(QShowEvent* event) {
    if (gpWPara)
        for (int k = 0; k < 8; ++k)
            m_boxes[k]->setValueRange(gpWPara->temp_limit_min[k], gpWPara->temp_limit_max[k]);
    QWidget::showEvent(event);
}

void TemperatureStatisticsWidget::hideEvent(QHideEvent* event) {
    if (gpWPara) {
        for (int k = 0; k < 8; ++k) {
            gpWPara->temp_limit_min[k] = m_boxes[k]->getMinValue();
            gpWPara->temp_limit_max[k] = m_boxes[k]->getMaxValue();
        }
        if (!gpWPara->SaveDatatoFile(ParameterManager::getInstance()->paramQuery))
            qWarning() << "temperature limits not saved";
    }
    QWidget::hideEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// StatisticsWidget

void StatisticsWidget::setCycleTimeSource(std::function<unsigned()> source) {
    cycleSource() = std::move(source);
}

StatisticsWidget::StatisticsWidget(QWidget* parent) : QWidget(parent) {
    setGeometry((gShowW - 1920) / 2, (gShowH - 1080) / 2, 1920, 1080);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(180, 180, 180));
    setPalette(pal);
    setFont(QFont(QString::fromLatin1(kFont)));

    m_dayList = new QListWidget(this);
    m_dayList->setFixedHeight(950);
    m_dayList->setFont(QFont(QString::fromLatin1(kFont), 20));
    connect(m_dayList, &QListWidget::itemClicked, this, &StatisticsWidget::updateRecord);

    m_tabs = new QTabWidget(this);
    m_tabs->setFixedSize(1738, 950);
    m_tabs->setStyleSheet(QStringLiteral("QTabBar::tab{width: 150px; height: 50px; font-size: 25px;}"));

    // The shift page.
    auto* shiftPage = new QWidget;
    const char* okStyle = "color:#00FF00;";
    const char* ngStyle = "color:#FF0000;";
    auto* blocks = new QVBoxLayout;
    auto addRow = [&](QGridLayout* g, int row, QWidget* title, QWidget* value) {
        g->addWidget(title, row, 0);
        if (value) g->addWidget(value, row, 1);
    };
    for (int shift = 0; shift < 2; ++shift) {
        auto* g = new QGridLayout;
        g->addWidget(makeLabel(lan(shift == 0 ? 545 : 546), shiftPage, {150, 50}, 35), 0, 0, 1, 2);
        m_values[shift * 2] = makeLabel(QStringLiteral("0"), shiftPage, {120, 40}, 20, okStyle);
        m_values[shift * 2 + 1] = makeLabel(QStringLiteral("0"), shiftPage, {120, 40}, 20, ngStyle);
        addRow(g, 1, makeLabel(lan(542), shiftPage, {120, 40}, 20, okStyle), m_values[shift * 2]);
        addRow(g, 2, makeLabel(lan(543), shiftPage, {120, 40}, 20, ngStyle), m_values[shift * 2 + 1]);
        blocks->addLayout(g);
    }
    {
        auto* g = new QGridLayout;
        m_planEdit = new Edit(1, shiftPage, 1);
        m_planEdit->setRange(0, 9999999);
        m_planEdit->setFixedSize(120, 40);
        connect(m_planEdit, &QLineEdit::textChanged, this, &StatisticsWidget::slotPlanChange);
        m_values[4] = makeLabel(QStringLiteral("0"), shiftPage, {120, 40}, 20, okStyle);
        m_values[5] = makeLabel(QStringLiteral("0"), shiftPage, {120, 40}, 20, ngStyle);
        m_values[6] = makeLabel(QStringLiteral("0%"), shiftPage, {120, 40}, 20, ngStyle);
        addRow(g, 0, makeLabel(lan(550), shiftPage, {150, 50}, 25, okStyle), m_planEdit);
        addRow(g, 1, makeLabel(lan(547), shiftPage, {150, 50}, 25, okStyle), m_values[4]);
        addRow(g, 2, makeLabel(lan(548), shiftPage, {150, 50}, 25, ngStyle), m_values[5]);
        g->addWidget(m_values[6], 3, 1);
        auto* exportButton = new ColorButton(lan(326), shiftPage);
        exportButton->setFixedSize(120, 50);
        connect(exportButton, &QPushButton::clicked, this, &StatisticsWidget::SlotExportData);
        g->addWidget(exportButton, 4, 1);
        blocks->addLayout(g);
    }
    m_morning = new Histogram(shiftPage, hours(8, 12));
    m_night = new Histogram(shiftPage, hours(20, 12));
    m_morning->setFixedSize(1600, 420);
    m_night->setFixedSize(1600, 420);
    auto* charts = new QVBoxLayout;
    charts->addWidget(m_morning);
    charts->addWidget(m_night);
    auto* shiftLayout = new QHBoxLayout(shiftPage);
    shiftLayout->addLayout(blocks);
    shiftLayout->addLayout(charts);
    m_tabs->addTab(shiftPage, lan(549));

    m_temp = new TemperatureStatisticsWidget;
    m_tabs->addTab(m_temp, tr("温度"));

    m_dateTime = new QLabel(this);
    m_dateTime->setFont(QFont(QString::fromLatin1(kFont), 20));
    m_cycle = new QLabel(this);
    m_cycle->setFont(QFont(QString::fromLatin1(kFont), 20));
    auto* returnButton = new ColorButton(lan(58), this);
    returnButton->setFixedSize(300, 50);
    connect(returnButton, &QPushButton::clicked, this, &StatisticsWidget::slotConfirm);

    auto* top = new QHBoxLayout;
    top->addWidget(m_dayList);
    top->addWidget(m_tabs);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_dateTime);
    bottom->addWidget(m_cycle);
    bottom->addStretch();
    bottom->addWidget(returnButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    if (!QSqlDatabase::contains(QString::fromLatin1(kListConnection)))
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QString::fromLatin1(kListConnection));

    m_temp->updateTemp(boardTemperatures());
    if (gpResStatisticsParam) gpResStatisticsParam->setView(this);

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &StatisticsWidget::slotTimeout);
    m_timer->start(TimeMs("stats.refresh", 1000));
}

StatisticsWidget::~StatisticsWidget() {
    if (gpResStatisticsParam && gpResStatisticsParam->view() == this) gpResStatisticsParam->setView(nullptr);
    {
        QSqlDatabase db = QSqlDatabase::database(QString::fromLatin1(kListConnection), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kListConnection));
}

QStringList StatisticsWidget::valueTexts() const {
    QStringList out;
    for (QLabel* l : m_values) out << l->text();
    return out;
}

QString StatisticsWidget::cycleText() const {
    return m_cycle->text();
}

void StatisticsWidget::showEvent(QShowEvent* event) {
    updateList();
    QWidget::showEvent(event);
}

void StatisticsWidget::updateList() {
    m_dayList->clear();
    m_dayList->addItem(gpResStatisticsParam ? gpResStatisticsParam->getCurDate() : QString());
    const QStringList days = QDir(QString::fromLatin1(ResStatisticsParam::kArchiveDir))
                                 .entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    for (int i = days.size() - 1; i >= 0; --i) m_dayList->addItem(days[i].chopped(3));
    m_dayList->setCurrentRow(0);
    updateRecord(m_dayList->item(0));
}

bool StatisticsWidget::isToday() {
    return m_dayList->currentRow() == 0;
}

void StatisticsWidget::updateRecord(QListWidgetItem* item) {
    if (!item || !gpResStatisticsParam) return;
    ResStatisticsParam* store = gpResStatisticsParam;
    if (m_dayList->row(item) == 0) {
        m_planEdit->setEnabled(true);
        store->setFindResAll(1);
        store->setPlan();
    } else {
        m_planEdit->setEnabled(false);
        QSqlDatabase db = QSqlDatabase::database(QString::fromLatin1(kListConnection), false);
        db.close();
        db.setDatabaseName(QDir(QString::fromLatin1(ResStatisticsParam::kArchiveDir)).absolutePath() +
                           QLatin1Char('/') + item->text() + QStringLiteral(".db"));
        // Read-only: showing a day never changes its archive, nor makes a file for a vanished one.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) return;
        QList<int> ok = ResStatisticsParam::parseSlots(QString());
        QList<int> ng = ok;
        int plan = 0;
        {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("select value1 ,value2 from resstatistics where name='Detect1'")) &&
                q.next()) {
                ok = ResStatisticsParam::parseSlots(q.value(0).toString());
                ng = ResStatisticsParam::parseSlots(q.value(1).toString());
            }
            if (q.exec(QStringLiteral("select value1 from resstatistics where name='plan'")) && q.next())
                plan = q.value(0).toInt();
        }
        store->setFindRes(ok, ng);
        store->setPlan(plan);
    }
    updateData();
}

void StatisticsWidget::slotTimeout() {
    updateData();
}

void StatisticsWidget::updateData() {
    if (ResStatisticsParam* store = gpResStatisticsParam) {
        const int dayOk = store->getCount(ResStatisticsParam::kWholeDay, true);
        const int dayNg = store->getCount(ResStatisticsParam::kWholeDay, false);
        m_values[0]->setText(QStringLiteral("%1").arg(store->getCount(ResStatisticsParam::kMorning, true)));
        m_values[1]->setText(QStringLiteral("%1").arg(store->getCount(ResStatisticsParam::kMorning, false)));
        m_values[2]->setText(QStringLiteral("%1").arg(store->getCount(ResStatisticsParam::kNight, true)));
        m_values[3]->setText(QStringLiteral("%1").arg(store->getCount(ResStatisticsParam::kNight, false)));
        m_values[4]->setText(QStringLiteral("%1").arg(dayOk + dayNg));
        m_values[5]->setText(QStringLiteral("%1").arg(dayNg));
        // No cycle yet: no NG either.
        const double freq = dayOk + dayNg > 0 ? dayNg * 100.0 / (dayOk + dayNg) : 0.0;
        m_values[6]->setText(QStringLiteral("%1%").arg(freq, 0, 'g', 6));
        m_morning->modifyDataAxisY(store->getRes(ResStatisticsParam::kMorning, true),
                                   store->getRes(ResStatisticsParam::kMorning, false));
        m_night->modifyDataAxisY(store->getRes(ResStatisticsParam::kNight, true),
                                 store->getRes(ResStatisticsParam::kNight, false));
        const QString plan = QString::number(store->getPlan());
        if (m_planEdit->text() != plan) m_planEdit->setText(plan);
    }
    m_dateTime->setText(SysClock::now().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")));
    const unsigned cycle = cycleSource() ? cycleSource()() : 0;
    m_cycle->setText(tr("周期 %1").arg(cycle / 10.0, 4, 'f', 1));
    m_temp->updateTemp(boardTemperatures());
    gisTempAlarm = m_temp->judgeTemperature();
    update();
}

void StatisticsWidget::slotPlanChange(QString) {
    if (!isToday() || !m_planEdit->isEnabled() || !gpResStatisticsParam) return;
    gpResStatisticsParam->setCurPlan(m_planEdit->value());
    gpResStatisticsParam->setPlan(m_planEdit->value());
}

void StatisticsWidget::slotConfirm() {
    hide();
}

bool writeStatisticsExport(const QString& path, const QString& day, const ResStatisticsParam* store) {
    // The day shown, hour by hour, as tab-separated text.
    QString text = day + QStringLiteral("\nhour\tOK\tNG\n");
    if (store) {
        const QList<int> ok = store->getRes(ResStatisticsParam::kWholeDay, true);
        const QList<int> ng = store->getRes(ResStatisticsParam::kWholeDay, false);
        for (int k = 0; k < ResStatisticsParam::kSlots; ++k)
            text += QStringLiteral("%1\t%2\t%3\n")
                        .arg((k + 8) % 24, 2, 10, QLatin1Char('0'))
                        .arg(ok.value(k))
                        .arg(ng.value(k));
        text += QStringLiteral("total\t%1\t%2\nplan\t%3\n")
                    .arg(store->getCount(ResStatisticsParam::kWholeDay, true))
                    .arg(store->getCount(ResStatisticsParam::kWholeDay, false))
                    .arg(store->getPlan());
    }
    QString error;
    if (writeFileAtomically(path, text.toUtf8(), &error)) return true;
    qWarning().noquote() << "statistics export not written:" << path << "-" << error;
    return false;
}

bool StatisticsWidget::writeExportFile(const QString& path) const {
    const QString day = m_dayList->currentItem() ? m_dayList->currentItem()->text() : QString();
    return writeStatisticsExport(path, day, gpResStatisticsParam);
}

void StatisticsWidget::SlotExportData() {
    if (!showChooseBox(lan(324))) return;
    while (!usbDiskFinder || usbDiskFinder().isEmpty())
        if (!showChooseBox(lan(320))) return;
    const QString t = SysClock::now().toString(QStringLiteral("yyyy-MM-dd_hh.mm.ss"));
    bool ok = writeExportFile(t);
    if (ok) ok = RunCommand(QStringLiteral("mv %1 /mnt/%2.xls").arg(t, t), kSlowCommandLimitMs) == 0;
    QThread::msleep(static_cast<unsigned long>(TimeMs("stats.export", 300)));
    RunCommand(QStringLiteral("umount /mnt"), kSlowCommandLimitMs);
    if (ok) {
        showWarnBox(lan(147));
    } else {
        QFile::remove(t);
        showWarnBox(tr("数据导出失败"));
    }
}

void setUsbDiskFinder(UsbDiskFinder finder) {
    usbDiskFinder = finder;
}
