#pragma once

// The contract between the viewer and its player library: the exports' forms, the callback
// codes, the command words and the records passed with codes 6 and 23. Both sides include
// this header, so a record's layout cannot drift apart between them.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velq {

// The library calls back with (instance given to setInst, argument, code).
using Callback = int (*)(void* instance, std::intptr_t argument, int code);
using EntryFn = int (*)(int argc, char** argv);
using SetInstanceFn = void (*)(void* instance);
using SetCallbackFn = void (*)(Callback callback);
using CommandFn = int (*)(const char* command);

inline constexpr const char* kEntryName = "Trovik";
inline constexpr const char* kSetInstanceName = "setInst";
inline constexpr const char* kSetInstanceDecorated = "setInst@4";
inline constexpr const char* kSetCallbackName = "setW";
inline constexpr const char* kSetCallbackDecorated = "setW@4";
inline constexpr const char* kCommandName = "cmd_direct";

// Longest file name a load command carries, in bytes without its NUL: the longest path Linux
// opens (PATH_MAX less its NUL). The viewer holds names to its own platform's limit, never more.
inline constexpr std::size_t kNameMax = 4095;
// Longest command the library takes, without its terminating NUL: a load command of two names
// of kNameMax bytes, every byte escaped.
inline constexpr std::size_t kCommandMax = 32 + 4 * kNameMax;

// The load command quotes each name in double quotes. Inside the quotes the escape character
// stands before a double quote or before itself that belongs to the name; any other character
// stands for itself, so a name without either gives the command its plain form.
inline constexpr char kLoadEscape = '\\';

enum CallbackCode : int {
    CB_READY = 0, // the library is ready for a player
    CB_VIDEO_WINDOW_1 = 3, // argument: the video window of channel 1
    CB_VIDEO_WINDOW_2 = 4, // argument: the video window of channel 2
    CB_PROGRESS = 6, // argument: ProgressRecord*
    CB_OWNER_WINDOW = 10, // argument: void** to receive the main window
    CB_LENGTH = 14, // argument: float* length in seconds
    CB_QUITTING = 16, // the player is ending
    CB_PLACEMENT_A = 17, // argument: void** to receive the address of placementA
    CB_PLAYING = 18, // a recording plays
    CB_END_OF_FILE = 20, // the current recording has ended; argument: EndOfFile* (or null)
    CB_QUIT_FLAG = 21, // argument: int32_t* the library polls; 1 asks the player to end
    CB_ENDED = 22, // the player has ended; its entry returns next
    CB_RECORD_COUNT = 23, // argument: record count layout below
    CB_RECORD_INDEX = 24, // argument: the record index itself
    CB_RESERVED_1 = 25,
    CB_DESKTOP_WIDTH = 26,
    CB_DESKTOP_HEIGHT = 27,
    CB_RESERVED_2 = 28,
    CB_PLACEMENT_B = 29,
    CB_VOLUME = 30,
    CB_PLACE_FLAG_1 = 31,
    CB_PLACE_FLAG_2 = 32,
    CB_NO_TELEMETRY = 33,
    CB_CHANNEL_COUNT = 34,
    CB_STATE_NUMBER = 35,
    CB_SCRAMBLED_VIEW = 36,
    CB_SCRAMBLE_KEY = 37,
};

// The window system's "window moved" message, sent to video window 1 before 0x0660.
inline constexpr unsigned kWindowMoved = 0x0003;

inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;
// Pixels are B, G, R, unused, rows top to bottom without padding.
inline constexpr int kFrameBytes = kFrameWidth * kFrameHeight * 4;

// Passed with code 6. The frame addresses are 64 bits wide on every build, at offsets of their
// own, so that no address overlaps the next one on a 64-bit system.
struct ProgressRecord
{
    std::uint8_t reserved[44];
    float position; // seconds
    std::int32_t frameBytes;
    std::uint32_t padding;
    std::uint64_t frame1;
    std::uint64_t frame2;
};
static_assert(offsetof(ProgressRecord, position) == 44);
static_assert(offsetof(ProgressRecord, frameBytes) == 48);
static_assert(offsetof(ProgressRecord, frame1) == 56);
static_assert(offsetof(ProgressRecord, frame2) == 64);

// Passed with code 20: how the current recording ended, and which one it was. A library that
// passes no record (null) tells nothing more than that it ended.
enum EndReason : std::int32_t {
    END_STOPPED = 0, // stopped on request ("pt_step", "quit")
    END_REACHED = 1, // played on to its end, or broke off there by itself
    END_FAILED = 2, // never played: missing, empty, damaged, not a recording
};
struct EndOfFile
{
    std::int32_t reason;
    std::uint32_t padding;
    // Address of the first name as the load command carried it, NUL-terminated.
    std::uint64_t file;
};
static_assert(offsetof(EndOfFile, file) == 8);

// Code 23: the given record holds, at byte 20, the 64-bit address of a second record whose
// 32-bit integer at byte 80 is the record count.
inline constexpr std::size_t kCountLinkOffset = 20;
inline constexpr std::size_t kCountValueOffset = 80;

struct RecordCountLink
{
    std::uint8_t bytes[kCountLinkOffset + sizeof(std::uint64_t)];
};
struct RecordCountValue
{
    std::uint8_t bytes[kCountValueOffset + sizeof(std::int32_t)];
};

inline void writeRecordCount(RecordCountLink& link, RecordCountValue& value, std::int32_t count)
{
    std::memset(&link, 0, sizeof link);
    std::memset(&value, 0, sizeof value);
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&value));
    std::memcpy(link.bytes + kCountLinkOffset, &address, sizeof address);
    std::memcpy(value.bytes + kCountValueOffset, &count, sizeof count);
}

// False when the link or the address in it is null.
inline bool readRecordCount(const void* link, std::int32_t& count)
{
    if (!link)
        return false;
    std::uint64_t address = 0;
    std::memcpy(
        &address, static_cast<const std::uint8_t*>(link) + kCountLinkOffset, sizeof address);
    if (!address)
        return false;
    const auto* value = reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(address));
    std::memcpy(&count, value + kCountValueOffset, sizeof count);
    return true;
}

inline void* frameAddress(std::uint64_t field)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(field));
}

} // namespace velq
