#include "systemsettingwidget.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSqlTableModel>
#include <QTableView>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "io/iowidget.h"
#include "platform/system/sysclock.h"
#include "records/recordstore.h"

SystemSettingWidget::SystemSettingWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("SystemSettingWidget{background-color:#ffffff;}"));

    recordPage = new QWidget(this);
    recordDays = new QListWidget(recordPage);
    recordDays->setFixedWidth(200);
    recordTable = new QTableView(recordPage);
    recordTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    recordTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* box = new QHBoxLayout(recordPage);
    box->addWidget(recordDays);
    box->addWidget(recordTable, 1);
    recordPage->hide();
    connect(recordDays, &QListWidget::itemClicked, this, &SystemSettingWidget::UpdateRecord);

    ioWidget = new IOWidget(this);
    ioWidget->setParent(this, ioWidget->windowFlags());
    ioWidget->hide();
}

bool SystemSettingWidget::factoryParamShown() const {
    const WizardPara* p = gpWParaBak ? gpWParaBak : gpWPara;
    return p && p->factory_param != 0;
}

void SystemSettingWidget::SlotToRecord() {
    recordDays->clear();
    recordDays->addItems(recordDayList(SysClock::now().date()));
    recordDays->setCurrentRow(0);
    UpdateRecord(recordDays->item(0));
    recordPage->show();
}

void SystemSettingWidget::UpdateRecord(QListWidgetItem* item) {
    recordTable->setModel(nullptr);
    delete recordModel;
    recordModel = nullptr;
    if (item) {
        recordModel = openRecordDay(recordDays->row(item), item->text(), this);
        if (recordModel) showRecordModel(recordTable, recordModel);
    }
    emit pListWClick();
}
