#include "recording/TelemetryBlock.h"

#include "platform/Dialogs.h"
#include "platform/Exit.h"
#include "recording/PVEXUDAT.h"
#include "recording/TopLevelBoxes.h"
#include "resources/Strings.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>

namespace recording {

namespace {

constexpr uint8_t kPlainFirstType[] = {'f', 't', 'y', 'p'};

// Bytes 4 to 7 of the file; true when the file suits the view mode.
bool suitsViewMode(const uint8_t* firstHeader, int scrambledView)
{
    const bool plain = std::equal(firstHeader + 4, firstHeader + 8, kPlainFirstType);
    return scrambledView == 0 ? plain : !plain;
}

// Runs the view-mode check on the first 8 bytes (a file shorter than a box header has no
// type to check; its walk ends with code 7). Returns 0 or kViewModeMismatch.
int checkViewMode(const uint8_t* firstHeader, uint64_t available, int scrambledView,
    const ViewModeMismatchHandler& onMismatch)
{
    if (available < 8 || suitsViewMode(firstHeader, scrambledView))
        return 0;
    if (onMismatch)
        onMismatch(scrambledView);
    return kViewModeMismatch;
}

// Where the "udat" box starts, by the one top-level walk: found as soon as a header's type
// reads "udat", whatever its size says, since the copy runs to the end of the data anyway.
std::optional<uint64_t> findBlock(TopLevelBoxes& boxes)
{
    TopBox box;
    if (boxes.find("udat", box))
        return box.offset;
    return std::nullopt;
}

// Replaces the copy by `length` bytes; the old copy goes first, so at most one exists.
bool allocateBlock(std::vector<uint8_t>& blockCopy, uint64_t length)
{
    std::vector<uint8_t>().swap(blockCopy);
    try {
        blockCopy.resize(length);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

bool readFully(QIODevice& device, uint64_t position, uint8_t* target, uint64_t length)
{
    if (!device.seek(qint64(position)))
        return false;
    while (length > 0) {
        const qint64 got = device.read(reinterpret_cast<char*>(target), qint64(length));
        if (got <= 0)
            return false;
        target += got;
        length -= uint64_t(got);
    }
    return true;
}

} // namespace

void endProgramOnViewModeMismatch(int scrambledView)
{
    platform::messageBox(strings::text(scrambledView == 0 ? 114 : 115));
    platform::exitProgram(0);
}

const char* telemetryResultText(int code)
{
    switch (code) {
    case kBlockFound:
        return "telemetry block found";
    case kNoFileName:
        return "no file name";
    case kCannotOpen:
        return "the file cannot be opened";
    case kReadFailed:
        return "the read failed";
    case kNoFileSize:
        return "the file size cannot be had";
    case kNoMemory:
        return "no memory for the file";
    case kEmptyFile:
        return "the file is empty";
    case kNoTelemetryBox:
        return "no \"udat\" box before the end of the data";
    case kBlockTooShort:
        return "fewer than 8 bytes from the \"udat\" box to the end of the data";
    case kViewModeMismatch:
        return "the file kind does not suit the view mode (encrypted or not a recording)";
    case kNoSubBoxes:
        return "the \"udat\" box lacks its TIME/RTCD, GPSI and SENS boxes";
    default:
        return "unknown result";
    }
}

bool isTelemetryExempt(const QByteArray& fileName1)
{
    return QString::fromLocal8Bit(fileName1).indexOf(QLatin1String(".mjpg")) >= 1;
}

int readTelemetryBlockFromMemory(std::span<const uint8_t> data, int scrambledView,
    uint32_t scrambleKey, std::vector<uint8_t>& blockCopy,
    const ViewModeMismatchHandler& onMismatch)
{
    if (data.empty())
        return kEmptyFile;
    if (const int code = checkViewMode(data.data(), data.size(), scrambledView, onMismatch))
        return code;
    TopLevelBoxes boxes(data, scrambledView != 0 ? scrambleKey : 0);
    const std::optional<uint64_t> found = findBlock(boxes);
    if (!found)
        return kNoTelemetryBox;
    const uint64_t position = *found;
    const uint64_t length = data.size() - position;
    if (!allocateBlock(blockCopy, length < 8 ? 0 : length))
        return kNoMemory;
    if (length < 8)
        return kBlockTooShort;
    std::copy_n(data.data() + position, length, blockCopy.data());
    return kBlockFound;
}

int readTelemetryBlock(QIODevice& device, int scrambledView, uint32_t scrambleKey,
    std::vector<uint8_t>& blockCopy, const ViewModeMismatchHandler& onMismatch)
{
    const qint64 deviceSize = device.size();
    if (deviceSize < 0)
        return kNoFileSize;
    if (deviceSize == 0)
        return kEmptyFile;
    const uint64_t size = uint64_t(deviceSize);
    if (size >= 8) {
        uint8_t first[8];
        if (!readFully(device, 0, first, 8))
            return kReadFailed;
        if (const int code = checkViewMode(first, size, scrambledView, onMismatch))
            return code;
    }
    TopLevelBoxes boxes(device, scrambledView != 0 ? scrambleKey : 0);
    const std::optional<uint64_t> found = findBlock(boxes);
    if (boxes.stop() == TopLevelBoxes::Stop::ReadFailed)
        return kReadFailed;
    if (!found)
        return kNoTelemetryBox;
    const uint64_t position = *found;
    const uint64_t length = size - position;
    if (!allocateBlock(blockCopy, length < 8 ? 0 : length))
        return kNoMemory;
    if (length < 8)
        return kBlockTooShort;
    if (!readFully(device, position, blockCopy.data(), length)) {
        std::vector<uint8_t>().swap(blockCopy);
        return kReadFailed;
    }
    return kBlockFound;
}

int readTelemetryBlock(const QByteArray& fileName1, int scrambledView, uint32_t scrambleKey,
    std::vector<uint8_t>& blockCopy, const ViewModeMismatchHandler& onMismatch)
{
    if (fileName1.isEmpty())
        return kNoFileName;
    // Read-only open: a missing recording is reported, never created empty on the card.
    QFile file(QString::fromLocal8Bit(fileName1));
    if (!file.open(QIODevice::ReadOnly))
        return kCannotOpen;
    return readTelemetryBlock(file, scrambledView, scrambleKey, blockCopy, onMismatch);
}

int readTelemetryBlockWholeFile(const QByteArray& fileName1, int scrambledView,
    uint32_t scrambleKey, std::vector<uint8_t>& blockCopy,
    const ViewModeMismatchHandler& onMismatch)
{
    if (fileName1.isEmpty())
        return kNoFileName;
    QFile file(QString::fromLocal8Bit(fileName1));
    if (!file.open(QIODevice::ReadOnly))
        return kCannotOpen;
    const qint64 size = file.size();
    if (size < 0)
        return kNoFileSize;
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(size_t(size) + 1);
    } catch (const std::exception&) {
        return kNoMemory;
    }
    const qint64 got = file.read(reinterpret_cast<char*>(buffer.data()), size + 1);
    if (got < 0)
        return kReadFailed;
    if (got == 0)
        return kEmptyFile;
    return readTelemetryBlockFromMemory(
        std::span(buffer.data(), size_t(got)), scrambledView, scrambleKey, blockCopy, onMismatch);
}

int loadTelemetry(const QByteArray& fileName1, int scrambledView, uint32_t scrambleKey,
    std::vector<uint8_t>& blockCopy, PVEXUDAT& udat, std::atomic<int>& noTelemetry,
    const ViewModeMismatchHandler& onMismatch)
{
    const int code
        = readTelemetryBlock(fileName1, scrambledView, scrambleKey, blockCopy, onMismatch);
    if (code != kBlockFound) {
        // A failed read may have released the copy the reader pointed into.
        udat.setData(nullptr, 0);
        udat.failed = 1;
        noTelemetry = 1;
        return code;
    }
    udat.setData(blockCopy.data(), blockCopy.size());
    noTelemetry = udat.check();
    return noTelemetry ? kNoSubBoxes : 0;
}

} // namespace recording
