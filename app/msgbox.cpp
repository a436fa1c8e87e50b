#include "msgbox.h"

#include <QDebug>

namespace {
BoxProvider* g_provider = nullptr;
}

void setBoxProvider(BoxProvider* provider) {
    g_provider = provider;
}
BoxProvider* boxProvider() {
    return g_provider;
}

void showWarnBox(QString text) {
    qWarning().noquote() << "warning box:" << text;
    if (g_provider) g_provider->warn(text);
}

bool showChooseBox(QString text) {
    qInfo().noquote() << "question box:" << text;
    const bool yes = g_provider ? g_provider->choose(text) : false;
    qInfo().noquote() << "answer:" << (yes ? "yes" : "no");
    return yes;
}
