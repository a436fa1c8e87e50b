#include "ioboardsim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
qint64 monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void makeRaw(int fd) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tcsetattr(fd, TCSANOW, &tio);
}
}  // namespace

IoBoardSim::IoBoardSim() = default;

IoBoardSim::~IoBoardSim() {
    stop();
}

quint8 IoBoardSim::sum(const QByteArray& bytes, int count) {
    unsigned s = 0;
    for (int i = 0; i < count && i < bytes.size(); ++i) s += quint8(bytes[i]);
    return quint8(s & 0xFF);
}

QByteArray IoBoardSim::commandFrame(int code, int value) {
    QByteArray f(6, '\0');
    f[0] = char(0x5F);
    f[1] = char(code & 0xFF);
    f[2] = char(value & 0xFF);
    f[3] = char((value >> 8) & 0xFF);
    f[4] = char(sum(f, 4));
    f[5] = char(0xF5);
    return f;
}

QByteArray IoBoardSim::replyFrame(int code, quint8 d0, quint8 d1, quint8 d2, quint8 d3) {
    QByteArray f(8, '\0');
    f[0] = char(0x5F);
    f[1] = char(code & 0xFF);
    f[2] = char(d0);
    f[3] = char(d1);
    f[4] = char(d2);
    f[5] = char(d3);
    f[6] = char(sum(f, 6));
    f[7] = char(0xF5);
    return f;
}

bool IoBoardSim::start(const QString& linkPath) {
    if (running_) return true;
    error_.clear();
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error_ = QStringLiteral("openpty failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    makeRaw(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    master_ = master;
    slaveKeep_ = slave;
    slave_ = QString::fromLocal8Bit(name);

    if (!linkPath.isEmpty()) {
        const QString abs = QFileInfo(linkPath).absoluteFilePath();
        QDir().mkpath(QFileInfo(abs).absolutePath());
        const QByteArray l = QFile::encodeName(abs);
        struct stat st;
        if (::lstat(l.constData(), &st) == 0) {
            // Only a stale link from an earlier run is replaced, never a file or a device node.
            if (!S_ISLNK(st.st_mode)) {
                error_ = QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(abs);
                ::close(master_);
                ::close(slaveKeep_);
                master_ = slaveKeep_ = -1;
                return false;
            }
            ::unlink(l.constData());
        }
        if (::symlink(name, l.constData()) != 0) {
            error_ = QStringLiteral("cannot link %1 to %2: %3")
                         .arg(abs, slave_, QString::fromLocal8Bit(strerror(errno)));
            ::close(master_);
            ::close(slaveKeep_);
            master_ = slaveKeep_ = -1;
            return false;
        }
        link_ = abs;
    }
    startMs_ = monotonicMs();
    stopping_ = false;
    running_ = true;
    worker_ = std::thread([this] { serve(); });
    return true;
}

void IoBoardSim::stop() {
    if (!running_) return;
    stopping_ = true;
    if (worker_.joinable()) worker_.join();
    running_ = false;
    if (!link_.isEmpty()) {
        const QByteArray l = QFile::encodeName(link_);
        char target[256] = {};
        const ssize_t n = ::readlink(l.constData(), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, int(n)) == slave_) ::unlink(l.constData());
        link_.clear();
    }
    ::close(master_);
    ::close(slaveKeep_);
    master_ = slaveKeep_ = -1;
}

qint64 IoBoardSim::sinceStart() const {
    return monotonicMs() - startMs_;
}

void IoBoardSim::serve() {
    QByteArray held;
    char buf[1024];
    while (!stopping_) {
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, 10);
        if (r < 0 && errno != EINTR) break;
        if (r <= 0) continue;
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) {
            // EIO while nobody has the slave open; try again shortly.
            if (n < 0 && errno != EAGAIN && errno != EIO && errno != EINTR) break;
            ::usleep(2000);
            continue;
        }
        held.append(buf, int(n));
        int pos = 0;
        while (held.size() - pos >= 6) {
            const auto at = [&](int k) { return quint8(held[pos + k]); };
            unsigned s = 0;
            for (int k = 0; k < 4; ++k) s += at(k);
            if (at(0) == 0x5F && at(4) == (s & 0xFF) && at(5) == 0xF5) {
                handle(at(1), at(2) | (at(3) << 8));
                pos += 6;
            } else {
                std::lock_guard<std::mutex> g(lock_);
                ++skipped_;
                ++pos;
            }
        }
        held.remove(0, pos);
    }
}

void IoBoardSim::handle(int code, int value) {
    QList<QByteArray> replies;
    OutputChange change{};
    bool changed = false;
    std::function<void(const OutputChange&)> listener;
    {
        std::lock_guard<std::mutex> g(lock_);
        commands_.append({sinceStart(), code, value});
        switch (code) {
            case 1:
                if (value != outputs_) {
                    change = {QDateTime::currentDateTime(), sinceStart(), outputs_, value};
                    outputs_ = value;
                    changes_.append(change);
                    changed = true;
                    listener = listener_;
                }
                break;
            case 2:
                replies.append(replyFrame(2, quint8(inputs_), quint8((inputs_ >> 8) & 3), quint8(outputs_),
                                          quint8((outputs_ >> 8) & 3)));
                break;
            case 3:
            case 4: {
                const int base = code == 3 ? 0 : 8;
                for (int k = 0; k < analogReplies_; ++k) {
                    const quint32 v = quint32(analog_[(base + k) % 16]);
                    replies.append(
                        replyFrame(code, quint8(v), quint8(v >> 8), quint8(v >> 16), quint8(v >> 24)));
                }
                break;
            }
            default:
                break;  // unknown command: the board ignores it
        }
        if (silent_) replies.clear();
    }
    changed_.notify_all();
    if (changed && listener) listener(change);
    for (QByteArray& f : replies) sendReply(f);
}

void IoBoardSim::sendReply(QByteArray frame) {
    QByteArray before;
    bool split;
    {
        std::lock_guard<std::mutex> g(lock_);
        before.swap(inject_);
        split = split_;
        if (corrupt_ > 0) {
            --corrupt_;
            frame[6] = char(quint8(frame[6]) ^ 0x5A);
        }
    }
    if (!before.isEmpty()) writeAll(before);
    if (split) {
        writeAll(frame.left(5));
        ::usleep(3000);
        writeAll(frame.mid(5));
    } else {
        writeAll(frame);
    }
}

void IoBoardSim::writeAll(const QByteArray& bytes) {
    std::lock_guard<std::mutex> g(writeLock_);
    int done = 0;
    int spins = 0;
    while (done < bytes.size() && master_ >= 0) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        if (++spins > 500) return;  // the monitor stopped reading: drop the rest
        ::usleep(1000);
    }
}

void IoBoardSim::setInputs(int word) {
    std::lock_guard<std::mutex> g(lock_);
    inputs_ = word & 0x3FF;
}

void IoBoardSim::setInput(int i, bool on) {
    std::lock_guard<std::mutex> g(lock_);
    if (i < 0 || i > 9) return;
    if (on)
        inputs_ |= 1 << i;
    else
        inputs_ &= ~(1 << i);
}

int IoBoardSim::inputs() const {
    std::lock_guard<std::mutex> g(lock_);
    return inputs_;
}

int IoBoardSim::outputs() const {
    std::lock_guard<std::mutex> g(lock_);
    return outputs_;
}

void IoBoardSim::setAnalog(int channel, qint32 value) {
    std::lock_guard<std::mutex> g(lock_);
    if (channel >= 0 && channel < 16) analog_[channel] = value;
}

void IoBoardSim::setAnalogReplies(int n) {
    std::lock_guard<std::mutex> g(lock_);
    analogReplies_ = qBound(0, n, 64);
}

void IoBoardSim::setSilent(bool silent) {
    std::lock_guard<std::mutex> g(lock_);
    silent_ = silent;
}

void IoBoardSim::setSplitReplies(bool split) {
    std::lock_guard<std::mutex> g(lock_);
    split_ = split;
}

void IoBoardSim::corruptNextReplies(int n) {
    std::lock_guard<std::mutex> g(lock_);
    corrupt_ = n;
}

void IoBoardSim::injectBeforeNextReply(const QByteArray& bytes) {
    std::lock_guard<std::mutex> g(lock_);
    inject_.append(bytes);
}

void IoBoardSim::sendRaw(const QByteArray& bytes) {
    writeAll(bytes);
}

QList<IoBoardSim::Command> IoBoardSim::commands() const {
    std::lock_guard<std::mutex> g(lock_);
    return commands_;
}

int IoBoardSim::commandCount(int code) const {
    std::lock_guard<std::mutex> g(lock_);
    int n = 0;
    for (const Command& c : commands_) n += c.code == code;
    return n;
}

QList<IoBoardSim::OutputChange> IoBoardSim::outputChanges() const {
    std::lock_guard<std::mutex> g(lock_);
    return changes_;
}

int IoBoardSim::skippedBytes() const {
    std::lock_guard<std::mutex> g(lock_);
    return skipped_;
}

void IoBoardSim::clearRecords() {
    std::lock_guard<std::mutex> g(lock_);
    commands_.clear();
    changes_.clear();
    skipped_ = 0;
}

void IoBoardSim::setOutputListener(std::function<void(const OutputChange&)> listener) {
    std::lock_guard<std::mutex> g(lock_);
    listener_ = std::move(listener);
}

bool IoBoardSim::waitForCommand(int code, int value, int timeoutMs) const {
    std::unique_lock<std::mutex> g(lock_);
    return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] {
        for (const Command& c : commands_)
            if (c.code == code && (value < 0 || c.value == value)) return true;
        return false;
    });
}
