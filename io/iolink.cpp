#include "iolink.h"

#include <QDebug>
#include <cstring>

#include "platform/serial/posix_qextserialport.h"
#include "platform/system/syspath.h"

int gisCOM = 0;
int gDataIn = 0;
int gDataOut = 0;
int gIOID = 0;
std::atomic<int> gFTemp[kAnalogCount] = {};
std::atomic<int> gOutputEcho{-1};
Posix_QextSerialPort* gpCom = nullptr;

namespace {
std::atomic<bool> gLinkLost{false};

// Opens gpCom with the link settings; false (logged) when the device does not open.
bool openPort() {
    if (!gpCom->open(QIODevice::ReadWrite)) return false;
    gpCom->setBaudRate(BAUD115200);
    gpCom->setDataBits(DATA_8);
    gpCom->setParity(PAR_NONE);
    gpCom->setStopBits(STOP_1);
    gpCom->setFlowControl(FLOW_OFF);
    gpCom->setTimeout(1);
    return true;
}
}  // namespace

bool IOLinkLost() {
    return gLinkLost.load();
}

void setIOLinkLost(bool lost) {
    gLinkLost = lost;
}

QString comDeviceName(int port) {
    return SysPath(QStringLiteral("/dev/ttyS%1").arg(port > 0 ? port + 1 : 0));
}

void ComInit() {
    delete gpCom;
    const QString device = comDeviceName(gisCOM);
    gpCom = new Posix_QextSerialPort(device, QextSerialBase::Polling);
    if (!openPort()) {
        qWarning().noquote() << QStringLiteral("IO board: cannot open %1 (%2); trying again until it opens")
                                    .arg(device, QString::fromLocal8Bit(strerror(gpCom->lastError())));
        return;
    }
    qInfo().noquote() << "IO board on" << device;
}

bool ComReopen() {
    if (!gpCom) return false;
    gpCom->close();
    return openPort();
}

unsigned char calcLRC(const unsigned char* data, unsigned short len) {
    unsigned sum = 0;
    for (unsigned short i = 0; i < len; ++i) sum += data[i];
    return static_cast<unsigned char>(sum & 0xFF);
}

void buildCommand(unsigned char frame[6], int cmd, int value) {
    frame[0] = 0x5F;
    frame[1] = static_cast<unsigned char>(cmd & 0xFF);
    frame[2] = static_cast<unsigned char>(value & 0xFF);
    frame[3] = static_cast<unsigned char>((value >> 8) & 0xFF);
    frame[4] = calcLRC(frame, 4);
    frame[5] = 0xF5;
}

bool ComSend(int cmd, int value) {
    if (!gpCom || !gpCom->isOpen()) return false;
    unsigned char frame[6];
    buildCommand(frame, cmd, value);
    return gpCom->write(reinterpret_cast<const char*>(frame), 6) == 6;
}
