#include "helpwidget.h"

HelpWidget::HelpWidget(QWidget* parent) : BWidget(parent) {}
