#pragma once

// Control interface of the simulated recorder library (a stand-in for libusb 0.1 with
// scripted buses and devices). The test loads it by path and drives it through these.
extern "C" {

enum SimScenario {
    SimNoBus = 0, // usb_get_busses returns no list
    SimOtherDevices = 1, // two buses, no recorder among the devices
    SimAnswers = 2, // a recorder (second device of bus 2) answers with the reply
    SimSilent = 3, // takes the request, never answers: the read times out
    SimClaimFails = 4, // interface 0 cannot be claimed
    SimTwoRecorders = 5, // recorders on bus 1 and bus 2; each answers with its own reply
    SimConfigFails = 6, // configuration 1 is refused
    SimOpenFails = 7, // usb_open gives no handle
    SimShortRead = 8, // answers only the first 100 bytes
    SimShortWrite = 9, // accepts only 100 bytes of the request, then answers in full
};

typedef void (*SimResetFn)(int scenario);
typedef void (*SimSetReplyFn)(const unsigned char* reply, int length);
typedef const char* (*SimLogFn)(void);
typedef int (*SimCountFn)(void);
typedef int (*SimReceivedFn)(unsigned char* out, int capacity);
// Holding the reply: while held, usb_bulk_read waits (as a slow recorder would) until released.
typedef void (*SimHoldFn)(int hold);
// How many reads are waiting on the hold right now.
typedef int (*SimWaitingFn)(void);
}
