#include "networkpages.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "io/iofunctionswidget.h"
#include "netbridge/cnt_net.h"
#include "settingshost.h"
#include "sliderrows.h"
#include "settingstext.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

namespace {

QLabel* columnLabel(QWidget* page, int textId, QList<QLabel*>* column) {
    auto* l = new QLabel(setText(textId), page);
    column->append(l);
    return l;
}

// The labels of one column as wide as the widest of them (at least `minimum`), so that the fields
// beside them line up in every language.
void alignColumn(const QList<QLabel*>& column, int minimum) {
    int w = minimum;
    for (QLabel* l : column) {
        l->ensurePolished();  // the page style sheet sets the font
        w = qMax(w, l->sizeHint().width());
    }
    for (QLabel* l : column) l->setMinimumWidth(w);
}

QHBoxLayout* row(QVBoxLayout* col, int spacing) {
    auto* r = new QHBoxLayout;
    r->setSpacing(spacing);
    col->addLayout(r);
    return r;
}

// Wide enough for "255.255.255.255" whole, with room on both sides.
BLineEdit* addressField(QWidget* page, const QString& title) {
    auto* e = new BLineEdit(page, title, QString(), 0);
    e->setStyleSheet(QStringLiteral("font-size:24px;padding:0px 6px;"));
    e->setFixedSize(250, 50);
    return e;
}

}  // namespace

NetworkParamsWidget::NetworkParamsWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(
        QStringLiteral("QLabel{font-size:22px;color:#656263;}"
                       "QRadioButton{font-size:22px;color:#656263;}"
                       "QPushButton{font-size:22px;color:#656263;}"));
    QList<QLabel*> first, second;
    auto firstColumnLabel = [&first](QWidget* page, int textId) { return columnLabel(page, textId, &first); };
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(80, 50, 40, 50);
    col->setSpacing(40);

    QHBoxLayout* r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 731));
    cardBox = new BComboBox(this);
    cardBox->setFixedSize(200, 50);
    r->addWidget(cardBox);
    r->addStretch();

    r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 269));
    comBox = new BComboBox(this);
    comBox->setFixedSize(200, 50);
    comBox->addItems(
        {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")});
    r->addWidget(comBox);
    r->addStretch();

    r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 732));
    macLabel = new QLabel(this);
    r->addWidget(macLabel);
    r->addStretch();

    r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 329));
    addressEdit = addressField(this, QStringLiteral("192.168.3.5"));
    r->addWidget(addressEdit);
    r->addSpacing(80);
    r->addWidget(columnLabel(this, 733, &second));
    hostEdit = addressField(this, setText(734));
    r->addWidget(hostEdit);
    r->addStretch();

    r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 330));
    maskEdit = addressField(this, QStringLiteral("255.255.255.0"));
    r->addWidget(maskEdit);
    r->addSpacing(80);
    r->addWidget(columnLabel(this, 410, &second));
    useCardBox = new CheckBox(this);
    r->addWidget(useCardBox);
    r->addStretch();

    r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 331));
    gatewayEdit = addressField(this, QStringLiteral("192.169.3.1"));
    r->addWidget(gatewayEdit);
    r->addSpacing(80);
    r->addWidget(columnLabel(this, 358, &second));
    bridgeBox = new CheckBox(this);
    r->addWidget(bridgeBox);
    r->addStretch();

    r = row(col, 50);
    r->addWidget(firstColumnLabel(this, 2));
    testButton = new QPushButton(setText(411), this);
    testButton->setFixedSize(200, 50);
    r->addWidget(testButton);
    resultLabel = new QLabel(this);
    resultLabel->setStyleSheet(QStringLiteral("QLabel{font-size:22px;color:#DC143C;}"));
    r->addWidget(resultLabel);
    r->addStretch();

    r = row(col, 30);
    r->addWidget(firstColumnLabel(this, 416));
    videoGroup = new QButtonGroup(this);
    const int videoTexts[] = {412, 413, 414};
    for (int id = 0; id < 3; ++id) {
        auto* b = new QRadioButton(setText(videoTexts[id]), this);
        videoGroup->addButton(b, id);
        r->addWidget(b);
    }
    r->addStretch();

    r = row(col, 30);
    r->addWidget(firstColumnLabel(this, 417));
    rateGroup = new QButtonGroup(this);
    for (int id = 0; id < 5; ++id) {
        auto* b = new QRadioButton(QString::number(5 * (id + 1)), this);
        rateGroup->addButton(b, id);
        r->addWidget(b);
    }
    r->addStretch();
    col->addStretch();
    alignColumn(first, 130);
    alignColumn(second, 0);
}

void NetworkParamsWidget::WizardParaInit() {
    if (!gpWParaBak) return;
    const WizardPara& w = *gpWParaBak;
    bridgeBox->setChecked(w.cnt_net_on != 0);
    // A stored value no control offers is shown as none chosen and kept.
    comBox->setCurrentIndex(w.serial_port >= 0 && w.serial_port < comBox->count() ? w.serial_port : -1);
    if (gpNet) hostEdit->setText(gpNet->editCard.hostName);
    checkGroupId(videoGroup, w.video_share_mode);
    checkGroupId(rateGroup, w.video_rate_index);
}

void NetworkParamsWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& w = *gpWParaBak;
    w.cnt_net_on = storedSwitch(bridgeBox->isChecked(), w.cnt_net_on);
    if (gpNet) gpNet->editCard.hostName = hostEdit->text();
    storeCheckedId(videoGroup, &w.video_share_mode);
    storeCheckedId(rateGroup, &w.video_rate_index);
    if (comBox->currentIndex() >= 0) w.serial_port = comBox->currentIndex();
}
