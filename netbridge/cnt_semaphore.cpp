#include "cnt_semaphore.h"

#include <cerrno>
#include <ctime>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <unistd.h>

namespace {
constexpr unsigned kIpcMode = 0660;

union SemArg {
    int val;
    struct semid_ds* buf;
    unsigned short* array;
};
}  // namespace

int CNT_Semaphore::create_sem(int count) {
    int id = semget(key_, count, IPC_CREAT | kIpcMode);
    if (id >= 0) {
        struct semid_ds ds;
        SemArg stat;
        stat.buf = &ds;
        if (semctl(id, 0, IPC_STAT, stat) == 0) {
            if (ds.sem_perm.uid != geteuid()) {
                // Someone else's set under our key: not trusted, made afresh.
                semctl(id, 0, IPC_RMID);
                id = semget(key_, count, IPC_CREAT | IPC_EXCL | kIpcMode);
            } else if ((ds.sem_perm.mode & 0777) != kIpcMode) {
                ds.sem_perm.mode = (ds.sem_perm.mode & ~0777u) | kIpcMode;
                semctl(id, 0, IPC_SET, stat);
            }
        }
    }
    if (id < 0) return -1;
    SemArg arg;
    arg.val = 1;
    if (semctl(id, 0, SETVAL, arg) < 0) return -1;
    id_ = id;
    return id;
}

bool CNT_Semaphore::P_sem(int timeoutMs) {
    if (id_ < 0) return false;
    struct sembuf op = {0, -1, SEM_UNDO};
    struct timespec ts;
    ts.tv_sec = timeoutMs / 1000;
    ts.tv_nsec = long(timeoutMs % 1000) * 1000000L;
    for (;;) {
        if (semtimedop(id_, &op, 1, &ts) == 0) return true;
        if (errno != EINTR) return false;  // EAGAIN: time-out; anything else: the set is gone
    }
}

void CNT_Semaphore::V_sem() {
    if (id_ < 0) return;
    struct sembuf op = {0, 1, SEM_UNDO};
    semop(id_, &op, 1);
}

void CNT_Semaphore::retInitPV() {
    if (id_ < 0) return;
    // SETVAL also clears every process's undo for it: a client that is gone cannot raise it to 2.
    SemArg arg;
    arg.val = 1;
    semctl(id_, 0, SETVAL, arg);
}

void CNT_Semaphore::remove() {
    if (id_ < 0) return;
    semctl(id_, 0, IPC_RMID);
    id_ = -1;
}

int CNT_Semaphore::value() const {
    if (id_ < 0) return -1;
    return semctl(id_, 0, GETVAL);
}

bool CNT_Semaphore::intact() const {
    if (id_ < 0) return false;
    struct semid_ds ds;
    SemArg stat;
    stat.buf = &ds;
    return semctl(id_, 0, IPC_STAT, stat) == 0;
}
