#pragma once
// The serial link to the IO board: port set-up, command frames and the words shared with the poll thread.
//
// Command (monitor -> board), 6 bytes: 5F code valueLo valueHi sum F5, sum = bytes 0..3 mod 256.
// Reply (board -> monitor), 8 bytes:   5F code d0 d1 d2 d3 sum F5,     sum = bytes 0..5 mod 256.
#include <QString>
#include <atomic>

class Posix_QextSerialPort;

enum IOCommand {
    kCmdSetOutputs = 1,  // value: the output word
    kCmdPoll = 2,        // reply: inputs d0 + (d1 & 3) << 8, output echo d2 + (d3 & 3) << 8
    kCmdAnalogLow = 3,   // replies: channels 0..7, one little-endian 32-bit value each
    kCmdAnalogHigh = 4,  // replies: channels 8..15
};

constexpr int kAnalogCount = 16;

extern int gisCOM;    // IO board port index 0..3 (COM1..COM4), copied from serial_port at start
extern int gDataIn;   // input word of the last poll reply (bits 0..9), under pMutexIO
extern int gDataOut;  // output word the GUI thread wants on the board, under pMutexIO
extern int gIOID;     // 0: the poll thread neither sends nor reads
// Analogue channels as the board sends them: the raw 32 bits of each value (little-endian on the wire).
// Written by the poll thread, read by the GUI thread (temperatures): each value is one atomic word.
extern std::atomic<int> gFTemp[kAnalogCount];
extern Posix_QextSerialPort* gpCom;  // the port, created by ComInit; the poll thread's once it runs

// The outputs the board reported driving in its last poll reply (bits 0..9); -1 before the first.
extern std::atomic<int> gOutputEcho;

// The link watch of the poll thread. The board is taken as lost after kLinkLostPasses passes (about
// half a second) without one valid reply, whether the port is open or not; the port is then closed
// and opened again every kLinkReopenPasses passes until the board answers. The first valid reply
// ends the loss.
constexpr int kLinkLostPasses = 100;
constexpr int kLinkReopenPasses = 200;
// True while the board does not answer (set and cleared by the poll thread, read by anyone).
bool IOLinkLost();
void setIOLinkLost(bool lost);

// The device for a port index: "/dev/ttyS0" for 0, "/dev/ttyS<n+1>" above (ttyS1 is never used),
// placed by SysPath (under ./sysroot in the simulated profile).
QString comDeviceName(int port);

// Creates and opens the port of gisCOM: read-write, polled, 115200 8N1, no flow control, time-out 1 ms.
// A port that does not open is logged; the poll thread keeps trying (see the link watch above).
void ComInit();
// Closes the port and opens the same device again with the same settings (poll thread). True when open.
bool ComReopen();
// One command frame in a single write (code = low byte of cmd, value = low 16 bits). Poll thread only.
// False when the frame was not written whole (no port, or the device went away).
bool ComSend(int cmd, int value);
// The low 8 bits of the sum of the first len bytes (0 for len 0).
unsigned char calcLRC(const unsigned char* data, unsigned short len);
// Fills the 6 bytes of a command frame.
void buildCommand(unsigned char frame[6], int cmd, int value);
