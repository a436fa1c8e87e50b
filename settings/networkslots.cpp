// The settings dialog's part of the network page: the card selector and its three edits, the card
// the network client uses, the connection check, and the network steps of the commit.
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "app/msgbox.h"
#include "app/globals.h"
#include "app/wizardpara.h"
#include "netbridge/cnt_net.h"
#include "netstaging.h"
#include "networkpages.h"
#include "platform/gige/netinterfaces.h"
#include "platform/system/commandrunner.h"
#include "platform/system/profile.h"
#include "settingstext.h"
#include "systemsettingwidget.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

namespace {

// The public host the connection check pings for the internet.
const char* const kInternetHost = "114.114.114.114";

// The gateway of "ip route show": the piece after the first piece containing "via" that has at
// least two pieces after it; empty when there is none.
QString routeGateway(const QByteArray& output) {
    const QStringList pieces = QString::fromLocal8Bit(output).split(QLatin1Char(' '), Qt::KeepEmptyParts);
    for (int i = 0; i + 2 < pieces.size(); ++i)
        if (pieces[i].contains(QLatin1String("via"))) return pieces[i + 1];
    return QString();
}

// A ping answered: some line's "time=" reads as a number other than zero.
bool pingAnswered(const QByteArray& output) {
    for (const QString& line : QString::fromLocal8Bit(output).split(QLatin1Char('\n'))) {
        const int at = line.indexOf(QLatin1String("time="));
        if (at < 0) continue;
        QString t = line.mid(at + 5);
        t.chop(3);
        if (t.toDouble() != 0) return true;
    }
    return false;
}

}  // namespace

void SystemSettingWidget::connectNetworkPage() {
    NetworkParamsWidget* n = networkParams;
    if (!interfaces) {
        if (isSimulated())
            interfaces = std::make_shared<NoInterfaceSource>();
        else
            interfaces = std::make_shared<SystemInterfaceSource>();
    }
    connect(n->bridgeBox, &QCheckBox::stateChanged, this, &SystemSettingWidget::SlotCBoxIsUseCntNet);
    connect(n->cardBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SystemSettingWidget::SlotCmbCard);
    connect(n->addressEdit, &QLineEdit::textChanged, this, &SystemSettingWidget::SlotIpTimelyModify);
    connect(n->maskEdit, &QLineEdit::textChanged, this, &SystemSettingWidget::SlotMaskTimelyModify);
    connect(n->gatewayEdit, &QLineEdit::textChanged, this, &SystemSettingWidget::SlotWayTimelyModify);
    connect(n->useCardBox, &QCheckBox::pressed, this, &SystemSettingWidget::SlotCntClick);
    connect(n->useCardBox, &QCheckBox::stateChanged, this, &SystemSettingWidget::SlotCntName);
    connect(n->testButton, &QPushButton::clicked, this, &SystemSettingWidget::SlotCheckPing);
}

void SystemSettingWidget::InitCntNetWidget() {
    QComboBox* box = networkParams->cardBox;
    box->clear();
    if (gpNet) {
        // Only names the system gave and the network files can carry are offered.
        for (const QString& name : gpNet->editCard.cards.keys())
            if (validInterfaceName(name)) box->addItem(name);
    }
    SlotCmbCard(box->currentIndex());
}

void SystemSettingWidget::SlotCmbCard(int index) {
    NetworkParamsWidget* n = networkParams;
    if (!gpNet || index < 0) return;
    const QString name = n->cardBox->itemText(index);
    const NetCard& card = gpNet->editCard;
    if (card.macs.contains(name)) n->macLabel->setText(card.macs.value(name));
    update();
    const QStringList values = card.cards.value(name);
    if (values.size() == 3) {
        n->addressEdit->setText(values[0]);
        n->maskEdit->setText(values[1]);
        n->gatewayEdit->setText(values[2]);
        n->useCardBox->setChecked(gpWParaBak && name == QString::fromUtf8(gpWParaBak->CntNet_UseName));
    }
    if (!name.contains(QLatin1String("wlan"))) return;
    // A wireless card: its live address and the route's gateway, when it is the card in use.
    std::vector<NetInterface> list;
    if (!interfaces || !interfaces->list(&list)) return;
    QMap<QString, QString> addresses;
    for (const NetInterface& i : list) {
        if (i.name == "lo" || i.ip == 0) continue;
        addresses.insert(QString::fromLocal8Bit(i.name), QStringLiteral("%1.%2.%3.%4")
                                                             .arg(i.ip >> 24)
                                                             .arg((i.ip >> 16) & 255)
                                                             .arg((i.ip >> 8) & 255)
                                                             .arg(i.ip & 255));
    }
    QString gateway =
        routeGateway(RunCommandCapture(QStringLiteral("ip route show"), kSlowCommandLimitMs).output);
    if (gateway.isEmpty()) gateway = QStringLiteral("0.0.0.0");
    if (gpWPara && name == QString::fromUtf8(gpWPara->CntNet_UseName) && addresses.contains(name) &&
        gateway.count(QLatin1Char('.')) == 3) {
        n->addressEdit->setText(addresses.value(name));
        n->gatewayEdit->setText(gateway);
    }
    update();
}

void SystemSettingWidget::storeCardValue(int column, const QString& text) {
    if (!gpNet) return;
    const QString name = networkParams->cardBox->currentText();
    if (name.contains(QLatin1String("wlan"))) return;  // a wireless card is only shown
    auto it = gpNet->editCard.cards.find(name);
    if (it == gpNet->editCard.cards.end() || it->size() != 3) return;
    (*it)[column] = text;
}

void SystemSettingWidget::SlotIpTimelyModify(const QString& text) {
    storeCardValue(0, text);
}

void SystemSettingWidget::SlotMaskTimelyModify(const QString& text) {
    storeCardValue(1, text);
}

void SystemSettingWidget::SlotWayTimelyModify(const QString& text) {
    storeCardValue(2, text);
}

void SystemSettingWidget::SlotCntClick() {
    networkParams->useCardPressed = true;
}

void SystemSettingWidget::SlotCntName(int state) {
    NetworkParamsWidget* n = networkParams;
    if (!n->useCardPressed) return;  // set by the card selection, not by the operator
    n->useCardPressed = false;
    if (!gpWParaBak) return;
    const QByteArray name = state == Qt::Checked ? n->cardBox->currentText().toUtf8() : QByteArray("null");
    qstrncpy(gpWParaBak->CntNet_UseName, name.constData(), sizeof(gpWParaBak->CntNet_UseName));
}

void SystemSettingWidget::SlotCBoxIsUseCntNet(int state) {
    networkParams->resultLabel->setVisible(state != Qt::Unchecked);
    networkParams->resultLabel->setText(checkResult);
    update();
}

void SystemSettingWidget::setCheckResult(const QString& text) {
    checkResult = text;
    networkParams->resultLabel->setText(text);
}

void SystemSettingWidget::SlotCheckPing() {
    setCheckResult(checkResult + QLatin1Char('*'));
    update();
    QCoreApplication::processEvents();  // the mark shows while the commands run
    const QString gateway =
        routeGateway(RunCommandCapture(QStringLiteral("ip route show"), kSlowCommandLimitMs).output);
    // The gateway reaches a shell line: only a plain dotted address goes there.
    if (!validIPv4(gateway)) {
        setCheckResult(setText(419));
        update();
        return;
    }
    const bool lan = pingAnswered(
        RunCommandCapture(QStringLiteral("ping %1 -w 2").arg(gateway), kSlowCommandLimitMs).output);
    const bool internet =
        pingAnswered(RunCommandCapture(QStringLiteral("ping %1 -w 3").arg(QLatin1String(kInternetHost)),
                                       kSlowCommandLimitMs)
                         .output);
    const bool server = gpNet && gpNet->isConnected();
    setCheckResult(setText(lan ? 420 : 421) + QLatin1Char(',') + setText(internet ? 422 : 423) +
                   QLatin1Char(',') + setText(server ? 439 : 440));
    update();
}

int SystemSettingWidget::SaveNetParam() {
    stagedNetFiles.clear();
    netStageFailed.clear();
    if (!gpNet || !gpWPara || !gpWParaBak) return 0;
    const NetStaging s =
        stageNetFiles(gpNet->editCard, gpNet->liveCard, *gpWParaBak, *gpWPara, gpNet->serverSettingsChanged);
    stagedNetFiles = s.staged;
    netStageFailed = s.failed;
    return s.mask;
}

bool SystemSettingWidget::checkNetEdits() {
    if (!gpNet || !gpWParaBak) return true;
    NetProblem p;
    if (!findNetProblem(gpNet->liveCard, gpNet->editCard, gpWParaBak->cnt_net_on != 0, &p)) return true;
    const int labels[] = {329, 330, 331};
    const QString field = p.column < 0 ? setText(733) : p.card + QLatin1Char(' ') + setText(labels[p.column]);
    showWarnBox(setText(735).arg(field, p.value));
    // The network page with the card of that value chosen, showing what was typed.
    showPage(networkParams);
    const int card = networkParams->cardBox->findText(p.card);
    if (card >= 0) networkParams->cardBox->setCurrentIndex(card);
    return false;
}

QString SystemSettingWidget::installNetwork(int mask) {
    if (!gpNet) return QString();
    QString failed = netStageFailed;
    if (mask != 0) {
        // Only what this commit staged goes over the system's files, and nothing when part of it
        // could not be staged: the next commit stages it all again.
        if (failed.isEmpty()) installNetFiles(stagedNetFiles, gpNet->editCard, &failed);
        qInfo("(change serverinfo) 'NetClinet' will restart...");
        CNT_Net::CNT_ReStart();
    }
    if (!failed.isEmpty()) return failed;  // the live card record keeps what is installed
    gpNet->liveCard = gpNet->editCard;
    return QString();
}
