#pragma once
// The lock around one shared-memory image: a System V set of one semaphore used as a mutex between
// the bridge and the network client (value 1 free, 0 taken). Both sides take it with SEM_UNDO, so a
// process that dies holding it gives it back. The set is for the owner and the group only (mode 0660):
// the client runs as the same user.
#include <QString>
#include <sys/types.h>

class CNT_Semaphore {
public:
    explicit CNT_Semaphore(key_t key = -1) : key_(key) {}
    // Gets (creating, mode 0660) a set of `count` semaphores for the key and sets the first to 1. A
    // set of another owner is made afresh; one of ours with a wider mode is narrowed to 0660.
    // Returns the id, -1 on failure.
    int create_sem(int count);
    // Takes the lock, waiting at most `timeoutMs`; false when it was not taken (time-out or error),
    // so that a client that hangs holding it costs the caller one skipped frame, never a freeze.
    bool P_sem(int timeoutMs);
    void V_sem();
    // After the client went: the lock is free again (value 1), whatever the client left behind.
    void retInitPV();
    // Removes the set.
    void remove();
    int id() const { return id_; }
    key_t key() const { return key_; }
    int value() const;  // GETVAL, -1 when there is no set
    // False when the set was removed (or removed and replaced by another under the same key).
    bool intact() const;

private:
    key_t key_;
    int id_ = -1;
};
