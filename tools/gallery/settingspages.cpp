// Every page of the settings dialog for the gallery, at the size the main window gives the dialog,
// with the factory switches shown, in a scratch program directory (the pages read their files there).
#include <QDir>
#include <QPushButton>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <functional>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "settings/advancedpages.h"
#include "settings/networkpages.h"
#include "settings/systempages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

void gallerySettingsPages(const std::function<void(QWidget*, const QString&)>& save) {
    QTemporaryDir scratch;
    const QString home = QDir::currentPath();
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path())) return;
    WizardPara live;
    live.enable_defect_detect = live.enable_black_area = 1;
    live.factory_param = 1;
    WizardPara bak = live;
    WizardPara* oldLive = gpWPara;
    WizardPara* oldBak = gpWParaBak;
    gpWPara = &live;
    gpWParaBak = &bak;
    const int oldCount = numCamera;
    numCamera = 2;
    {
        SystemSettingWidget dialog;
        dialog.setFixedSize(1725, 982);  // the main window's page area beside the button bar
        dialog.show();
        dialog.advanceFunc->switches[AdvanceFuncWidget::kFactoryParam]->setValue(1);
        // A day of records on the log page: two pages of them.
        QStandardItemModel records(40, 3);
        for (int r = 0; r < 40; ++r) {
            records.setItem(r, 0,
                            new QStandardItem(QStringLiteral("2026-12-11 08:%1").arg(r, 2, 10, QChar('0'))));
            records.setItem(r, 1, new QStandardItem(QStringLiteral("SIM")));
            records.setItem(r, 2, new QStandardItem(QString::number(r)));
        }
        for (int i = 0; i < dialog.tabButtons.size(); ++i) {
            emit dialog.tabButtons[i]->pressed();
            if (dialog.pageStack->currentWidget() == dialog.networkParams) {
                // Addresses as long as they come, to see them whole.
                dialog.networkParams->addressEdit->setText(QStringLiteral("192.168.100.200"));
                dialog.networkParams->maskEdit->setText(QStringLiteral("255.255.255.0"));
                dialog.networkParams->gatewayEdit->setText(QStringLiteral("192.168.100.254"));
                dialog.networkParams->hostEdit->setText(QStringLiteral("12"));
            }
            if (dialog.pageStack->currentWidget() == dialog.systemLog) {
                dialog.systemLog->recordTable->setModel(&records);
                dialog.systemLog->modelChange();
            }
            save(&dialog, QStringLiteral("settings%1").arg(i, 2, 10, QChar('0')));
        }
        dialog.systemLog->recordTable->setModel(nullptr);
    }
    numCamera = oldCount;
    gpWPara = oldLive;
    gpWParaBak = oldBak;
    QDir::setCurrent(home);
}
