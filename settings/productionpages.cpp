#include "productionpages.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/msgbox.h"
#include "app/paratext.h"
#include "app/wizardpara.h"
#include "netbridge/cnt_net.h"
#include "platform/system/commandrunner.h"
#include "settingshost.h"
#include "settingstext.h"
#include "widgets/blineedit.h"

namespace {

// Member names of the client's replies are matched without regard to letter case; the first match
// counts. Undefined when there is none.
QJsonValue member(const QJsonObject& o, const char* name) {
    const QString key = QString::fromLatin1(name);
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0) return it.value();
    return QJsonValue(QJsonValue::Undefined);
}

// The "result" array of a reply body; false when the body is not a JSON object with one.
bool replyResult(const QString& body, QJsonArray* result) {
    const QJsonDocument doc = QJsonDocument::fromJson(body.toUtf8());
    if (!doc.isObject()) return false;
    const QJsonValue r = member(doc.object(), "result");
    if (!r.isArray()) return false;
    *result = r.toArray();
    return true;
}

QString localTime(const QJsonValue& utcMs) {
    const qint64 ms = qint64(utcMs.toDouble());
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(QStringLiteral("yy-MM-dd hh:mm:ss"));
}

QLabel* rowLabel(int textId, QWidget* parent, int minWidth = 0) {
    auto* label = new QLabel(setText(textId), parent);
    if (minWidth) label->setMinimumWidth(minWidth);
    return label;
}

BLineEdit* rowEdit(QWidget* parent, int titleId, KeyboardType type) {
    auto* edit = new BLineEdit(parent, setText(titleId), QString(), type);
    edit->setFixedWidth(300);
    return edit;
}

QFont cellFont() {
    QFont font(QStringLiteral("wqy-microhei"));
    font.setPointSize(15);
    return font;
}

// The bridge's state files and the client's picture folders that the statistics reset removes.
const char* const kStateFiles[] = {"./cnt_net/data/Statistics", "./cnt_net/data/ManualStop"};
const char* const kClientFolders[] = {"./cnt_net/cnt_alarmimage", "./cnt_net/cnt_tempimage",
                                      "./cnt_net/cnt_fail"};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Production page

DeviceParamsWidget::DeviceParamsWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(QStringLiteral("QLabel{font-size:22px;color:#656263;}"));
    productBox = new BComboBox(this);
    productBox->setFixedWidth(300);
    getProductButton = new QPushButton(setText(433), this);
    getProductButton->setFixedSize(200, 50);
    operatorEdit = rowEdit(this, 434, 1);
    cavityEdit = rowEdit(this, 435, 0);
    capacityEdit = rowEdit(this, 436, 0);
    batchEdit = rowEdit(this, 437, 1);
    resetButton = new QPushButton(setText(438), this);
    resetButton->setMinimumSize(250, 50);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(100, 50, 0, 50);
    column->setSpacing(40);
    auto addRow = [&](std::initializer_list<QWidget*> widgets, int gapAfter = -1) {
        auto* line = new QHBoxLayout;
        line->setSpacing(40);
        int i = 0;
        for (QWidget* w : widgets) {
            line->addWidget(w);
            if (i++ == gapAfter) line->addSpacing(80);
        }
        line->addStretch();
        column->addLayout(line);
    };
    // The labels of the first column share one width so that the edits line up.
    QLabel* left[3] = {rowLabel(432, this), rowLabel(434, this), rowLabel(436, this)};
    int leftWidth = 0;
    for (QLabel* l : left) leftWidth = qMax(leftWidth, l->sizeHint().width());
    for (QLabel* l : left) l->setMinimumWidth(leftWidth);
    addRow({left[0], productBox, getProductButton});
    addRow({left[1], operatorEdit, rowLabel(435, this, 120), cavityEdit}, 1);
    addRow({left[2], capacityEdit, rowLabel(437, this, 120), batchEdit}, 1);
    addRow({resetButton});
    column->addStretch();

    connect(getProductButton, SIGNAL(clicked(bool)), this, SLOT(SlotGetProductName()));
    connect(resetButton, SIGNAL(pressed()), this, SLOT(SlotResetStatistics()));
    // The operator goes out in the bridge's key=value messages: "&" and "=" are refused at entry.
    connect(operatorEdit, &BLineEdit::entryAccepted, this, [this](const QString& text) {
        if (CNT_Net::keyValueTextOk(text)) {
            operatorShown = text;
            return;
        }
        operatorEdit->setText(operatorShown);
        showWarnBox(setText(755));
    });
}

void DeviceParamsWidget::WizardParaInit() {
    if (!gpWParaBak) return;
    const WizardPara& p = *gpWParaBak;
    productBox->clear();
    productBox->addItem(paraText(p.CntNet_ProName));
    operatorShown = paraText(p.CntNet_Operator);
    operatorEdit->setText(operatorShown);
    cavityEdit->setText(QString::number(p.cavity_count));
    capacityEdit->setText(QString::number(p.product_count));
    batchEdit->setText(QString::number(p.product_serial));
}

void DeviceParamsWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& p = *gpWParaBak;
    setParaText(p.CntNet_ProName, productBox->currentText());
    setParaText(p.CntNet_Operator, operatorEdit->text());
    p.cavity_count = leadingInt(cavityEdit->text());
    p.product_count = leadingInt(capacityEdit->text());
    p.product_serial = leadingInt(batchEdit->text());
}

void DeviceParamsWidget::SlotGetProductName() {
    // Asked only while the bridge is on and its client is connected (the hook tests both).
    if (settingsHost().askProductList) settingsHost().askProductList();
}

void DeviceParamsWidget::cnt_reset_product(const QString& body) {
    QJsonArray result;
    if (!replyResult(body, &result)) return;
    QStringList names;
    for (const QJsonValue& element : result) {
        const QJsonValue name = member(element.toObject(), "product_name");
        if (!element.isObject() || name.isUndefined()) return;  // an incomplete reply is dropped whole
        names << name.toString();
    }
    if (productBox->count() > 0) {
        const QString chosen = productBox->currentText();
        names.removeOne(chosen);
        productBox->clear();
        productBox->addItem(chosen);
    }
    productBox->addItems(names);
    if (productBox->count() > 0) productBox->setCurrentIndex(0);
    update();
}

void DeviceParamsWidget::SlotResetStatistics() {
    if (!showChooseBox(setText(447))) return;
    QStringList left;
    for (const char* file : kStateFiles)
        if (QFile::exists(file) && !QFile::remove(file)) left << QString::fromLatin1(file);
    for (const char* folder : kClientFolders) {
        RunCommand(QStringLiteral("rm -rf ") + QString::fromLatin1(folder), kSlowCommandLimitMs);
        if (CommandRunner::instance().mode() == CommandRunner::Mode::Execute && QFileInfo::exists(folder))
            left << QString::fromLatin1(folder);
    }
    if (gpNet) {
        gpNet->InitStatistics();
        gpNet->InitManualStop();
    }
    if (!left.isEmpty()) {
        qWarning("statistics reset: not removed: %s", qPrintable(left.join(", ")));
        showWarnBox(setText(756).arg(left.join(QStringLiteral("\r\n"))));
    }
}

// ---------------------------------------------------------------------------------------------------
// Reminder page

MemorandumWidget::MemorandumWidget(QWidget* parent) : BWidget(parent) {
    model = new QStandardItemModel(0, 5, this);
    for (int c = 0; c < 5; ++c) model->setHeaderData(c, Qt::Horizontal, setText(757 + c));
    table = new QTableView(this);
    table->setModel(model);
    table->setFixedSize(1370, 810);
    // The time columns as wide as a time in the cells' font needs; the reminder takes what is left.
    const int timeWidth =
        QFontMetrics(cellFont()).horizontalAdvance(QStringLiteral("00-00-00 00:00:00")) + 24;
    const int widths[5] = {150, qMax(200, timeWidth), qMax(200, timeWidth), 150, 400};
    for (int c = 0; c < 5; ++c) table->setColumnWidth(c, widths[c]);
    table->horizontalHeader()->setStretchLastSection(true);
    pageBar = new PageControlBar(this);
    pageBar->followTable(table);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch();
    column->addWidget(table);
    column->addWidget(pageBar);
}

void MemorandumWidget::cnt_reset_remind(const QString& body) {
    QJsonArray result;
    if (!replyResult(body, &result)) return;
    // Rows change only while the operator can see them.
    if (!isVisible() || result.isEmpty()) return;
    model->removeRows(0, model->rowCount());
    const QFont font = cellFont();
    for (const QJsonValue& element : result) {
        const QJsonObject o = element.toObject();
        const char* const names[5] = {"operator", "create_utc", "notify_utc", "duration", "reminder_name"};
        QJsonValue v[5];
        for (int i = 0; i < 5; ++i) {
            v[i] = member(o, names[i]);
            if (!element.isObject() || v[i].isUndefined()) return;  // the rows so far stay
        }
        const QString texts[5] = {v[0].toString(), localTime(v[1]), localTime(v[2]),
                                  QString::number(qint64(v[3].toDouble())), v[4].toString()};
        QList<QStandardItem*> items;
        for (const QString& t : texts) {
            auto* item = new QStandardItem(t);
            item->setFont(font);
            item->setTextAlignment(Qt::AlignCenter);
            items << item;
        }
        model->appendRow(items);
    }
    table->viewport()->update();
}
