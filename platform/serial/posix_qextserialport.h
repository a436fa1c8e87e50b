#pragma once
// The serial port over POSIX termios: raw mode, no controlling terminal, non-blocking descriptor.
// Works on a real UART and on the slave side of a pseudo-terminal (which ignores the line settings).
#include "qextserialbase.h"

class Posix_QextSerialPort : public QextSerialBase {
public:
    explicit Posix_QextSerialPort(const QString& name, QueryMode mode = Polling);
    ~Posix_QextSerialPort() override;

    bool open(QIODevice::OpenMode mode) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }

    qint64 bytesAvailable() const override;
    qint64 read(char* data, qint64 maxSize) override;
    qint64 write(const char* data, qint64 size) override;

    int handle() const { return fd_; }

protected:
    bool applySettings() override;

private:
    int fd_ = -1;
};
