#include "posix_qextserialport.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
speed_t speedOf(BaudRateType rate) {
    switch (rate) {
        case BAUD9600:
            return B9600;
        case BAUD19200:
            return B19200;
        case BAUD38400:
            return B38400;
        case BAUD57600:
            return B57600;
        case BAUD115200:
            return B115200;
    }
    return B115200;
}

tcflag_t sizeOf(DataBitsType bits) {
    switch (bits) {
        case DATA_5:
            return CS5;
        case DATA_6:
            return CS6;
        case DATA_7:
            return CS7;
        case DATA_8:
            return CS8;
    }
    return CS8;
}
}  // namespace

Posix_QextSerialPort::Posix_QextSerialPort(const QString& name, QueryMode mode)
    : QextSerialBase(name, mode) {}

Posix_QextSerialPort::~Posix_QextSerialPort() {
    close();
}

bool Posix_QextSerialPort::open(QIODevice::OpenMode mode) {
    if (isOpen()) return true;
    int flags = O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    if ((mode & QIODevice::ReadWrite) == QIODevice::ReadWrite)
        flags |= O_RDWR;
    else if (mode & QIODevice::WriteOnly)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    const QByteArray path = port_.toLocal8Bit();
    int fd;
    do {
        fd = ::open(path.constData(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    fd_ = fd;
    if (!applySettings()) {
        const int err = lastError_;
        close();
        lastError_ = err;
        return false;
    }
    tcflush(fd_, TCIOFLUSH);
    lastError_ = 0;
    return true;
}

void Posix_QextSerialPort::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

bool Posix_QextSerialPort::applySettings() {
    termios tio;
    if (tcgetattr(fd_, &tio) != 0) {
        lastError_ = errno;
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= sizeOf(settings_.DataBits);
    if (settings_.Parity != PAR_NONE) {
        tio.c_cflag |= PARENB;
        if (settings_.Parity == PAR_ODD) tio.c_cflag |= PARODD;
    }
    if (settings_.StopBits == STOP_2) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (settings_.FlowControl == FLOW_HARDWARE) tio.c_cflag |= CRTSCTS;
    if (settings_.FlowControl == FLOW_XONXOFF) tio.c_iflag |= IXON | IXOFF;
    // Reads never wait: the descriptor is non-blocking and VMIN/VTIME ask for nothing either.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speedOf(settings_.BaudRate));
    cfsetospeed(&tio, speedOf(settings_.BaudRate));
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

qint64 Posix_QextSerialPort::bytesAvailable() const {
    if (fd_ < 0) return -1;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
}

qint64 Posix_QextSerialPort::read(char* data, qint64 maxSize) {
    if (fd_ < 0) return -1;
    if (maxSize <= 0) return 0;
    ssize_t n;
    do {
        n = ::read(fd_, data, static_cast<size_t>(maxSize));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        lastError_ = errno;
        return -1;
    }
    return n;
}

qint64 Posix_QextSerialPort::write(const char* data, qint64 size) {
    if (fd_ < 0) return -1;
    if (size <= 0) return 0;
    ssize_t n;
    do {
        n = ::write(fd_, data, static_cast<size_t>(size));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        lastError_ = errno;
        return -1;
    }
    return n;
}
