#pragma once
// Serial-port settings and the common part of the serial-port classes the IO board link uses.
// Only what the link needs is here: one device, raw 8-bit frames, polled (non-blocking) reads.
#include <QIODevice>
#include <QString>

enum BaudRateType {
    BAUD9600 = 9600,
    BAUD19200 = 19200,
    BAUD38400 = 38400,
    BAUD57600 = 57600,
    BAUD115200 = 115200
};
enum DataBitsType { DATA_5 = 5, DATA_6 = 6, DATA_7 = 7, DATA_8 = 8 };
enum ParityType { PAR_NONE, PAR_ODD, PAR_EVEN };
enum StopBitsType { STOP_1, STOP_2 };
enum FlowType { FLOW_OFF, FLOW_HARDWARE, FLOW_XONXOFF };

struct PortSettings {
    BaudRateType BaudRate = BAUD115200;
    DataBitsType DataBits = DATA_8;
    ParityType Parity = PAR_NONE;
    StopBitsType StopBits = STOP_1;
    FlowType FlowControl = FLOW_OFF;
    long Timeout_Millisec = 10;
};

class QextSerialBase {
public:
    // Polling: every call returns at once with what is there. EventDriven is accepted and treated the
    // same (nothing here delivers read notifications).
    enum QueryMode { Polling, EventDriven };

    explicit QextSerialBase(const QString& name, QueryMode mode = Polling);
    virtual ~QextSerialBase();
    QextSerialBase(const QextSerialBase&) = delete;
    QextSerialBase& operator=(const QextSerialBase&) = delete;

    QString portName() const { return port_; }
    QueryMode queryMode() const { return mode_; }
    const PortSettings& settings() const { return settings_; }

    virtual bool open(QIODevice::OpenMode mode) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Each setter is kept and, while the port is open, applied at once. False when applying failed.
    virtual bool setBaudRate(BaudRateType rate);
    virtual bool setDataBits(DataBitsType bits);
    virtual bool setParity(ParityType parity);
    virtual bool setStopBits(StopBitsType bits);
    virtual bool setFlowControl(FlowType flow);
    virtual void setTimeout(long millisec);

    // Bytes received and waiting, without blocking; -1 when the port is not open.
    virtual qint64 bytesAvailable() const = 0;
    // Reads at most maxSize waiting bytes; 0 when none wait, -1 on an error or a closed port.
    virtual qint64 read(char* data, qint64 maxSize) = 0;
    // Writes what the driver takes at once; the count written, -1 on an error or a closed port.
    virtual qint64 write(const char* data, qint64 size) = 0;

    // errno of the last failed system call, 0 when none failed.
    int lastError() const { return lastError_; }

protected:
    virtual bool applySettings() = 0;

    QString port_;
    QueryMode mode_;
    PortSettings settings_;
    int lastError_ = 0;
};
