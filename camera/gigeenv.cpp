#include "gigeenv.h"

#include <QThread>
#include <mutex>
#include <random>
#include <time.h>

#include "arping.h"
#include "broadcastsocket.h"
#include "platform/system/profile.h"
#include "platform/system/timing.h"

GigeTimings GigeTimings::current() {
    GigeTimings t;
    t.discoveryWaitMs = TimeMs("gige.discoveryWait", 200);
    t.recvTimeoutMs = TimeMs("gige.recvTimeout", 200);
    t.recvPauseMs = TimeMs("gige.recvPause", 5);
    t.arpWaitMs = TimeMs("gige.arpWait", 1000);
    t.threadPeriodMs = TimeMs("gige.threadPeriod", 1000);
    t.threadPollMs = TimeMs("gige.threadPoll", 100);
    t.expiryMs = TimeMs("gige.expiry", 3000);
    return t;
}

namespace {
struct Random {
    std::mutex lock;
    std::minstd_rand engine{1};
};
Random& sharedRandom() {
    static Random r;
    return r;
}

int64_t monotonicNowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

GigeEnv defaultGigeEnv() {
    GigeEnv e;
    e.openTransport = [](uint32_t address, uint16_t port) -> std::unique_ptr<GvcpTransport> {
        auto s = std::make_unique<CBroadcastSocket>(address, port);
        s->Init();
        return s;
    };
    if (isSimulated())
        e.interfaces = std::make_shared<NoInterfaceSource>();
    else
        e.interfaces = std::make_shared<SystemInterfaceSource>();
    e.arpProbe = [](uint32_t target, uint32_t own, const uint8_t* mac, const char* name) {
        return arpping(target, own, mac, name);
    };
    e.monotonicMs = &monotonicNowMs;
    e.sleepMs = [](int ms) {
        if (ms > 0) QThread::msleep(ulong(ms));
    };
    e.seedRandom = [](unsigned seed) {
        Random& r = sharedRandom();
        std::lock_guard<std::mutex> l(r.lock);
        r.engine.seed(seed ? seed : 1);
    };
    e.random = [] {
        Random& r = sharedRandom();
        std::lock_guard<std::mutex> l(r.lock);
        return int(r.engine() & 0x7FFFFFFF);
    };
    return e;
}

GigeEnv& gigeEnv() {
    static GigeEnv env = defaultGigeEnv();
    return env;
}

void resetGigeEnv() {
    gigeEnv() = defaultGigeEnv();
}
