#pragma once

// The test player library's own exports, besides the four of the real one: the test reads
// what the adapter sent and fires any callback code from any thread.

#include <cstdint>

extern "C" {
// Commands received through cmd_direct, in order.
int fake_commandCount();
// Copies command i into out (NUL-terminated, cut to size); false when there is no such one.
bool fake_command(int index, char* out, int size);
void fake_clear();
// Calls the adapter's callback on the calling thread, as the library would.
int fake_fire(int code, std::intptr_t argument);
bool fake_callbackSet();
// The entry's arguments of the last start, and whether the entry runs now.
int fake_entryArgumentCount();
bool fake_entryArgument(int index, char* out, int size);
bool fake_entryRunning();
int fake_entryStarts();
// The flag the adapter sets to 1 to end the player; the test hands its address over with 21.
std::int32_t* fake_quitFlag();
// How the entry ends when told to quit: with codes 16 and 22 (true) or silently.
void fake_setQuitCodes(bool send);
// While held, the entry does not return even when told to quit, as a player stuck inside mpv
// on a hung card reader would not.
void fake_holdEntry(bool hold);
}
