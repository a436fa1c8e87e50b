#pragma once
// The "help" tab of the settings dialog.
#include "widgets/bwidget.h"

class HelpWidget : public BWidget {
    Q_OBJECT
public:
    explicit HelpWidget(QWidget* parent = nullptr);
};
