#include "stopsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int gPipe[2] = {-1, -1};  // [0] written by the handler, [1] read on the GUI thread
QSocketNotifier* gNotifier = nullptr;
std::function<void(int)> gStop;

void setAction(int sig, void (*handler)(int)) {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(sig, &sa, nullptr);
}

// Async-signal-safe: one byte into the pipe; the next such signal takes the default action.
void onStopSignal(int sig) {
    const int saved = errno;
    setAction(SIGTERM, SIG_DFL);
    setAction(SIGINT, SIG_DFL);
    const char byte = static_cast<char>(sig);
    if (gPipe[0] >= 0) {
        ssize_t n;
        do {
            n = ::write(gPipe[0], &byte, 1);
        } while (n < 0 && errno == EINTR);
    }
    errno = saved;
}

}  // namespace

bool installStopSignals() {
    if (gPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gPipe) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return false;
    }
    setAction(SIGTERM, &onStopSignal);
    setAction(SIGINT, &onStopSignal);
    return true;
}

void armStopSignals(std::function<void(int)> stop) {
    gStop = std::move(stop);
    if (gPipe[1] < 0 || gNotifier || !QCoreApplication::instance()) return;
    gNotifier = new QSocketNotifier(gPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(gNotifier, &QSocketNotifier::activated, [] {
        char byte = 0;
        if (::read(gPipe[1], &byte, 1) != 1) return;
        gNotifier->setEnabled(false);  // one orderly stop; a second signal ends the process
        if (gStop) gStop(static_cast<unsigned char>(byte));
    });
}

void removeStopSignals() {
    setAction(SIGTERM, SIG_DFL);
    setAction(SIGINT, SIG_DFL);
    delete gNotifier;
    gNotifier = nullptr;
    gStop = nullptr;
    for (int& fd : gPipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}
