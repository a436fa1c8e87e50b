#include "profile.h"

#include <QByteArray>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
std::atomic<int> g_profile{-1};

Profile profileFromEnvironment() {
    const char* env = std::getenv("MONITOR_PROFILE");
    if (env && std::strcmp(env, "panel") == 0) return Profile::Panel;
    return Profile::Simulated;  // anything else, including unset, is the safe profile
}
}  // namespace

Profile currentProfile() {
    int p = g_profile.load();
    if (p < 0) {
        p = static_cast<int>(profileFromEnvironment());
        g_profile.store(p);
    }
    return static_cast<Profile>(p);
}

bool isSimulated() {
    return currentProfile() == Profile::Simulated;
}

const char* profileName(Profile p) {
    return p == Profile::Panel ? "panel" : "simulated";
}

void setProfile(Profile p) {
    g_profile.store(static_cast<int>(p));
}
