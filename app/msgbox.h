#pragma once
#include <QString>

// The one entry point for every warning and yes/no question shown to the operator.
// showWarnBox: a modal message with a confirm button; returns when it is confirmed.
// showChooseBox: a modal question; true only for the yes button.
void showWarnBox(QString text);
bool showChooseBox(QString text);

// Who shows the boxes. The widget kit installs the real boxes at start-up; tests install a scripted
// responder. With none installed, the text is logged, a warning counts as seen and a question as "no".
class BoxProvider {
public:
    virtual ~BoxProvider() = default;
    virtual void warn(const QString& text) = 0;
    virtual bool choose(const QString& text) = 0;
};

void setBoxProvider(BoxProvider* provider);  // not owned
BoxProvider* boxProvider();
