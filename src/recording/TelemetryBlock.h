#pragma once

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class PVEXUDAT;
class QIODevice;

// Reading a recording's telemetry block ("udat" box) into a private copy.
//
// How the player adapter uses this (it owns every piece of state; nothing here is global):
//
//     // PVEXAdap members: QByteArray fileName1; std::vector<uint8_t> blockCopy;
//     //                   int scrambledView = 0; uint32_t scrambleKey = 0;
//     //                   std::atomic<int> noTelemetry{1}; PVEXUDAT m_udat;
//     int PVEXAdap::readTelemetryBlock()
//     { return recording::readTelemetryBlock(fileName1, scrambledView, scrambleKey, blockCopy); }
//     int PVEXAdap::loadTelemetry()
//     { return recording::loadTelemetry(fileName1, scrambledView, scrambleKey, blockCopy,
//                                       m_udat, noTelemetry); }
//     // on open: if (recording::isTelemetryExempt(fileName1)) { noTelemetry = 1;
//     //          m_udat.failed = 1; } else loadTelemetry();
//     // code 23: m_udat.setRecordCount(count); code 6: m_udat.gpsRecord(index) ...
//
// blockLength is blockCopy.size(). The copy is released or replaced only by a read that finds
// a new "udat" box; loadTelemetry() detaches the reader on every failure, so the reader never
// keeps an address into a copy that is gone. Replacing the copy while another thread looks
// records up is the adapter's to prevent (its loading state makes no lookups).
//
// The view-mode check on file bytes 4 to 7 calls `onMismatch` with the view mode. The default
// shows message 114 (general view mode) or 115 (encryption view mode) through
// platform::messageBox and ends the program through platform::exitProgram(0). A handler that
// returns (the export command's) makes the read answer kViewModeMismatch instead.
namespace recording {

enum TelemetryReadResult : int {
    kBlockFound = 0,
    kNoFileName = 1,
    kCannotOpen = 2,
    kReadFailed = 3,
    kNoFileSize = 4,
    kNoMemory = 5,
    kEmptyFile = 6,
    kNoTelemetryBox = 7,
    kBlockTooShort = 8,
    // Only when a mismatch handler returns instead of ending the program.
    kViewModeMismatch = 9,
    // loadTelemetry(): the block was read but its three sub-boxes were not found.
    kNoSubBoxes = 17,
};

using ViewModeMismatchHandler = std::function<void(int scrambledView)>;

// Message 114 or 115, then the end of the program with exit code 0.
void endProgramOnViewModeMismatch(int scrambledView);

// The one-line meaning of a result code of readTelemetryBlock() or loadTelemetry().
const char* telemetryResultText(int code);

// True when the path holds ".mjpg" after its first character: such recordings carry no
// telemetry and are not read at all.
bool isTelemetryExempt(const QByteArray& fileName1);

// Reads the bytes from the "udat" box to the end of the file into blockCopy. Only the
// top-level box headers and the block itself are read, with seeks in between, so a recording
// of any length costs one allocation of the block's size.
int readTelemetryBlock(const QByteArray& fileName1, int scrambledView, uint32_t scrambleKey,
    std::vector<uint8_t>& blockCopy,
    const ViewModeMismatchHandler& onMismatch = endProgramOnViewModeMismatch);

// The same on an open, seekable device (a file, or a buffer in tests and fuzzing), from its
// position 0 to its size. Codes 1 and 2 belong to the caller.
int readTelemetryBlock(QIODevice& device, int scrambledView, uint32_t scrambleKey,
    std::vector<uint8_t>& blockCopy,
    const ViewModeMismatchHandler& onMismatch = endProgramOnViewModeMismatch);

// Reference form that reads the whole file into memory and walks the boxes there. It gives
// the same results as readTelemetryBlock(); tests and fuzzing hold the two against each other.
int readTelemetryBlockWholeFile(const QByteArray& fileName1, int scrambledView,
    uint32_t scrambleKey, std::vector<uint8_t>& blockCopy,
    const ViewModeMismatchHandler& onMismatch = endProgramOnViewModeMismatch);
int readTelemetryBlockFromMemory(std::span<const uint8_t> data, int scrambledView,
    uint32_t scrambleKey, std::vector<uint8_t>& blockCopy,
    const ViewModeMismatchHandler& onMismatch = endProgramOnViewModeMismatch);

// readTelemetryBlock(), then attaches the copy to `udat` and checks it. Sets udat.failed and
// noTelemetry (1 on any failure) and returns 0, the read's code, or kNoSubBoxes.
int loadTelemetry(const QByteArray& fileName1, int scrambledView, uint32_t scrambleKey,
    std::vector<uint8_t>& blockCopy, PVEXUDAT& udat, std::atomic<int>& noTelemetry,
    const ViewModeMismatchHandler& onMismatch = endProgramOnViewModeMismatch);

} // namespace recording
