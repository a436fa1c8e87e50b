#include "systemsettingwidget.h"

SystemSettingWidget::SystemSettingWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("SystemSettingWidget{background-color:#ffffff;}"));
}
