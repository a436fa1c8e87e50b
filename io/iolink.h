#pragma once
// The serial link to the IO board: port set-up, command frames and the words shared with the poll thread.
//
// Command (monitor -> board), 6 bytes: 5F code valueLo valueHi sum F5, sum = bytes 0..3 mod 256.
// Reply (board -> monitor), 8 bytes:   5F code d0 d1 d2 d3 sum F5,     sum = bytes 0..5 mod 256.
#include <QString>

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
// Written by the poll thread only.
extern int gFTemp[kAnalogCount];
extern Posix_QextSerialPort* gpCom;  // the port, created by ComInit

// The device for a port index: "/dev/ttyS0" for 0, "/dev/ttyS<n+1>" above (ttyS1 is never used),
// placed by SysPath (under ./sysroot in the simulated profile).
QString comDeviceName(int port);

// Creates and opens the port of gisCOM: read-write, polled, 115200 8N1, no flow control, time-out 1 ms.
// A port that does not open is logged once; the program runs on without the board.
void ComInit();
// One command frame in a single write (code = low byte of cmd, value = low 16 bits). Poll thread only.
void ComSend(int cmd, int value);
// The low 8 bits of the sum of the first len bytes (0 for len 0).
unsigned char calcLRC(const unsigned char* data, unsigned short len);
// Fills the 6 bytes of a command frame.
void buildCommand(unsigned char frame[6], int cmd, int value);
