#pragma once
// The program's start-up sequence, split so that its decisions can be tested one by one.
#include <QString>
#include <functional>

class QCoreApplication;
class QTranslator;
class CNT_Net;

// The application style sheet: one text, rules in a fixed order, no blanks between rules.
QString applicationStyleSheet();

// Installs "./Translator/trans_en_US.qm" when English is selected, "./Translator/trans_zh_TW.qm" when
// Traditional Chinese is, and the file exists.
// Returns the installed translator (owned by the caller) or null.
QTranslator* installTranslation(QCoreApplication* app, int language);

// With the bridge switched on in the record and the bridge started: image sharing set-up, the network
// client started, and the log line. Returns true when it ran.
bool startBridgeFollowUp(CNT_Net* net, int cntNetOn);

// The application font: the shipped font file (compiled in) where it is present, else the same design
// from the system, Noto Sans CJK SC in its Medium weight. Returns the family that became the
// application font, empty when neither is there (the default font stays).
QString setApplicationFont(
    const QString& shippedFile = QStringLiteral(":/font/fonts/SourceHanSansCN-Medium.ttf"));

// OpenCV's worker threads: half the cores, 1 to 4. The positioning search spreads over them; the
// loop, the grab threads and the picture push keep cores of their own (an unbounded pool spins on
// every core after each parallel call). Returns the count set.
int limitVisionThreads();

// The widget kit's hooks onto the camera layer, the backlight and the live record.
void installKitHooks();

// Exit statuses of the simulated profile when the program asked the computer to reboot or to power
// off: it stops in order and ends with these, and scripts/run starts it again after a reboot, as the
// panel would come back.
constexpr int kExitSimulatedReboot = 3;
constexpr int kExitSimulatedPowerOff = 4;

// The whole sequence, from the locale codec to the event loop's return. `whenRunning` (tests) runs
// once the event loop has started.
int runMonitor(int argc, char* argv[], const std::function<void()>& whenRunning = {});
