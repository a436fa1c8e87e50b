#include "controlport.h"

#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "iolink.h"
#include "iothread.h"
#include "ledcontrol.h"
#include "platform/serial/posix_qextserialport.h"

ControlPort* gpControlIO = nullptr;
bool gisSafeDoorOpen = false;
const int OutputNo[8] = {2, 4, 5, 6, 7, 8, 9, 1};

namespace {
constexpr int kOutputs = 9;
constexpr int kInputs = 10;

int outputInverted(int i) {
    return gpWPara && i >= 0 && i < kOutputs && gpWPara->output_inverted[i] ? 1 : 0;
}
// Inputs 0..8 carry a polarity; input 9 is always normal.
int inputInverted(int i) {
    return gpWPara && i >= 0 && i < 9 && gpWPara->input_inverted[i] ? 1 : 0;
}
int outputMirror() {
    return gpWPara ? gpWPara->enable_mold_backup : 0;
}
int inputMirror() {
    return gpWPara ? gpWPara->enable_output_thimble_pulse : 0;
}
int detectMode() {
    return gpWPara ? gpWPara->detect_mode : 0;
}
}  // namespace

ControlPort::ControlPort() {
    if (!pMutexIO) createFrameLocks();
    m_thread = new IOThread;
    m_in = 0;
    gIOID = 1;
    ComInit();
    IOResetAllOut();
    IOFlashOut();
    m_thread->start(QThread::InheritPriority);
}

ControlPort::~ControlPort() {
    stopPolling();
    delete m_thread;
}

void ControlPort::stopPolling() {
    m_thread->requestInterruption();
    m_thread->wait();
}

bool ControlPort::applyOutputsAndWait(int timeoutMs) {
    IOFlashOut();
    // The poll thread sends the word once a poll reply shows the board driving something else.
    QElapsedTimer waited;
    waited.start();
    while (gOutputEcho.load() != (m_published & 0x3FF)) {
        if (waited.elapsed() >= timeoutMs || !m_thread->isRunning()) return false;
        QThread::msleep(2);
    }
    return true;
}

void ControlPort::IOSetOut(int i, int on) {
    Q_ASSERT_X(i >= 0 && i < kOutputs, "IOSetOut", "output index out of 0..8");
    if (i < 0 || i >= kOutputs) return;
    int level = on ? 1 : 0;
    if (outputInverted(i)) level ^= 1;
    const int mirror = outputMirror();
    if (mirror != 0 && mirror == i + 1) m_out = level ? (m_out | 1 << 3) : (m_out & ~(1 << 3));
    m_out = level ? (m_out | 1 << i) : (m_out & ~(1 << i));
}

void ControlPort::IOResetAllOut() {
    for (int i = 0; i < kOutputs; ++i) IOSetOut(i, 0);
}

void ControlPort::IOFlashOut() {
    m_published = (m_out & ~m_holdMask) | (m_holdLevels & m_holdMask);
    QMutexLocker lock(pMutexIO);
    gDataOut = m_published;
}

void ControlPort::holdOutput(int i, int on) {
    if (i < 0 || i >= kOutputs) return;
    // The levels IOSetOut would give, polarity and mirror included, on a word of their own.
    const int word = m_out;
    m_out = 0;
    IOSetOut(i, on);
    const int levels = m_out;
    m_out = ~0;
    IOSetOut(i, on);
    const int mask = levels | ~m_out;  // the bits IOSetOut set to 1 on the first word or 0 on the second
    m_out = word;
    releaseOutput(i);
    m_holdMask |= mask & 0x3FF;
    m_holdLevels = (m_holdLevels & ~mask) | (levels & mask);
}

void ControlPort::releaseOutput(int i) {
    if (i < 0 || i >= kOutputs) return;
    int mask = 1 << i;
    if (outputMirror() == i + 1) mask |= 1 << kOutReserve;
    m_holdMask &= ~mask;
}

int ControlPort::IOState(int which, int i) {
    if (i < 0 || i > 31) return 0;
    if (which) return (m_out >> i) & 1;
    const int bit = (m_in >> i) & 1;
    return inputInverted(i) ? bit ^ 1 : bit;
}

int ControlPort::IOInTrigger(int i) {
    Q_ASSERT_X(i >= 0 && i < kInputs, "IOInTrigger", "input index out of 0..9");
    if (i < 0 || i >= kInputs) return 0;
    {
        QMutexLocker lock(pMutexIO);
        m_in = gDataIn;
    }
    const int k = inputMirror();
    if (k >= 1 && k <= 3 && (m_in >> 3 & 1)) m_in |= 1 << (k - 1);

    const int level = (m_in >> i) & 1;
    int result = 0;
    if (!inputInverted(i))
        result = m_prev[i] == 0 && level == 1;
    else
        result = m_prev[i] == 1 && level == 0;

    // The safety door (input 1) reaching its inactive level switches the alarm off, on any call.
    const int mode = detectMode();
    if (mode != 1 && mode != 2) {
        const int door = (m_in >> kInSafetyDoor) & 1;
        const bool opened = !inputInverted(kInSafetyDoor) ? (m_prev[kInSafetyDoor] == 1 && door == 0)
                                                          : (m_prev[kInSafetyDoor] == 0 && door == 1);
        if (opened) {
            // The alarm is on when its bit differs from its off level (bit set for a normal output).
            if (((m_out >> kOutAlarm) & 1) != outputInverted(kOutAlarm)) IOSetOut(kOutAlarm, 0);
            IOFlashOut();
            gisSafeDoorOpen = true;
        }
    }
    m_prev[i] = static_cast<unsigned char>(level);
    return result;
}

void resetIOGlobals() {
    gpControlIO = nullptr;
    gisSafeDoorOpen = false;
    gisCOM = 0;
    gIOID = 0;
    if (pMutexIO) {
        QMutexLocker lock(pMutexIO);
        gDataIn = 0;
        gDataOut = 0;
    } else {
        gDataIn = gDataOut = 0;
    }
    for (auto& v : gFTemp) v = 0;
    gOutputEcho = -1;
    setIOLinkLost(false);
    delete gpCom;
    gpCom = nullptr;
    resetLedState();
}
