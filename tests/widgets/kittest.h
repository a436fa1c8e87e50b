#pragma once
// Helpers for the widget-kit tests: drive a modal dialog from inside its own event loop.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/mainwindowbase.h"

namespace kittest {

// Runs `act` once on the application-modal widget as soon as one is open, polling from the event
// loop for as long as the driver lives (declare it right before the call that opens the dialog).
class ModalDriver : public QObject {
public:
    explicit ModalDriver(std::function<void(QWidget*)> act) : act_(std::move(act)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                timer_.stop();
                fired = true;
                act_(w);
            }
        });
        timer_.start(5);
    }
    bool fired = false;

private:
    std::function<void(QWidget*)> act_;
    QTimer timer_;
};

// Presses (without releasing) the key named `name` ("key_7", "confirmButton" ...) of `dialog`.
inline void press(QWidget* dialog, const QString& name) {
    auto* b = dialog->findChild<QPushButton*>(name);
    QVERIFY2(b, qPrintable("no key " + name));
    QTest::mousePress(b, Qt::LeftButton);
}

inline void click(QWidget* dialog, const QString& name) {
    auto* b = dialog->findChild<QPushButton*>(name);
    QVERIFY2(b, qPrintable("no key " + name));
    QTest::mouseClick(b, Qt::LeftButton);
}

// Presses each key of a sequence; single characters name character keys, longer names buttons.
inline void pressAll(QWidget* dialog, const QStringList& keys) {
    for (const QString& k : keys) press(dialog, k.size() == 1 ? "key_" + k : k);
}

// A main window for the lower layers: records FLushAll and the commands run before it.
class FakeMainWindow : public MainWindowBase {
public:
    void FLushAll() override { ++flushes; }
    int flushes = 0;
};

}  // namespace kittest
