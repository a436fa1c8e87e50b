#pragma once
#include "app/wizardpara.h"  // TriginNo

// The GUI thread's front end to the IO board: output bits with polarity and the output mirror, the
// output word handed to the poll thread, input edges with polarity and the input mirror, and the
// safety-door watch. One instance (gpControlIO), created by the main window's initialisation.
//
// Physical outputs (OutputRole, bit i of the output word). "On" for the two cuts means the machine may
// not close the mould (0) or may not eject (1).
enum OutputRole {
    kOutClampingCut = 0,
    kOutEjectorCut = 1,
    kOutAlarm = 2,
    kOutReserve = 3,  // the output mirror's target
    kOutNG1 = 4,      // 4..7: region NG outputs
    kOutMulti = 8,    // multi-detection only
};
// Physical inputs (InputRole, bit i of the input word, 0..9) in the standard procedures; the two-colour,
// turntable and multi-detection procedures give them other meanings. Input 9 is unused.
enum InputRole {
    kInMouldOpenEnd = 0,
    kInSafetyDoor = 1,  // also in multi-detection; the turntable's reset key
    kInEjectorBackEnd = 2,
    kInReserve = 3,  // the input mirror's source
};

class IOThread;

class ControlPort {
public:
    // Starts the poll thread on the port of gisCOM with every output at its inactive level.
    ControlPort();
    // The program never destroys it; tests do, and the poll thread is stopped then.
    ~ControlPort();
    ControlPort(const ControlPort&) = delete;
    ControlPort& operator=(const ControlPort&) = delete;

    // Output i (0..8) on or off in the output word; nothing reaches the board before IOFlashOut.
    void IOSetOut(int i, int on);
    // Every output 0..8 off.
    void IOResetAllOut();
    // Hands the output word to the poll thread, with the held outputs at their held levels.
    void IOFlashOut();
    // Output i (0..8) stays on (or off) on the board whatever the word says, until released: a stop
    // that waits for the alarm to end keeps the clamping cut through the release. IOState and the
    // word are not changed; IOFlashOut applies the hold.
    void holdOutput(int i, int on);
    void releaseOutput(int i);
    // IOFlashOut, then waits up to timeoutMs until the board reports driving that word (before the
    // program stops). False when it did not within the time (no board, a lost link).
    bool applyOutputsAndWait(int timeoutMs);
    // Ends the poll thread after its current pass (the program's orderly stop).
    void stopPolling();
    // which != 0: bit i of the output word as driven; which == 0: 1 when input i is at its active level
    // in the input word of the last IOInTrigger.
    int IOState(int which, int i);
    // 1 exactly when input i (0..9) became active since the last IOInTrigger(i). Also watches the door.
    int IOInTrigger(int i);

    IOThread* thread() const { return m_thread; }

private:
    unsigned char m_prev[16] = {};  // raw level of each input at its last IOInTrigger
    int m_out = 0;                  // output word, after polarity
    int m_holdMask = 0;             // bits of the held outputs (and of the mirror they drive)
    int m_holdLevels = 0;           // their levels, after polarity
    int m_published = 0;            // the word handed to the poll thread last
    int m_in = 0;                   // input word, with the input mirror
    IOThread* m_thread = nullptr;
};

extern ControlPort* gpControlIO;
extern bool gisSafeDoorOpen;  // set when the safety door opens; the inspection cycle clears it

// Multi-detection: 1-based output number of each step's output (the last step uses entry 7, output 0).
// Its companion TriginNo (1-based input of each trigger choice) is in app/wizardpara.h, since the
// parameter load derives the trigger inputs from it.
extern const int OutputNo[8];

// Back to the state before start-up (tests): no port, no board words, LED mask 0xFF.
// Any ControlPort must have been destroyed first.
void resetIOGlobals();
