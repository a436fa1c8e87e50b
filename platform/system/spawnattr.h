#pragma once
#include <spawn.h>

#include <csignal>

// Spawn attributes for a child of this program: nothing blocked, and the signals this program
// handles itself back at their defaults, so the child can be stopped like any other process.
// `flags` adds the caller's own (new session, process group).
inline void initChildAttributes(posix_spawnattr_t* attr, short flags) {
    posix_spawnattr_init(attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGPIPE, SIGCHLD, SIGHUP}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(attr, &none);
    posix_spawnattr_setsigdefault(attr, &defaults);
    posix_spawnattr_setflags(attr, short(flags | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
}
