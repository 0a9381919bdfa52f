#include "recording/TelemetryBlock.h"

#include "platform/Dialogs.h"
#include "platform/Exit.h"
#include "recording/BoxBytes.h"
#include "recording/PVEXUDAT.h"
#include "resources/Strings.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <new>

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

// One step of the top-level box walk, on a header of which `available` bytes lie within the
// data. A box of size 0 does not advance the walk and would hold it for ever, so the walk ends
// there as it does when it leaves the data; so it does at a 64-bit size that the data does not
// hold. Other sizes below a header's 8 bytes still advance it; every header read lies wholly
// within the data.
enum class Step { Found, Next, Stop };
Step walkStep(const uint8_t* header, uint64_t available, bool first, int scrambledView,
    uint32_t scrambleKey, uint64_t& position)
{
    if (hasType(header + 4, "udat"))
        return Step::Found;
    BoxSize box;
    if (!readBoxSize(header, available, first && scrambledView != 0 ? scrambleKey : 0, box)
        || box.size == 0 || box.size > UINT64_MAX - position)
        return Step::Stop;
    position += box.size;
    return Step::Next;
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

// Serves 8-byte box headers from a window of the device, so a walk over many small boxes
// costs one read per window and a walk over large boxes one seek per box.
class HeaderWindow
{
public:
    HeaderWindow(QIODevice& device, uint64_t size)
        : m_device(device)
        , m_size(size)
        , m_buffer(kWindow)
    { }

    // The header at `position`, or nullptr when the read failed. `available` is set to the
    // bytes readable from there, at least 8, and at least 16 when the data holds them: enough
    // for a header in the 64-bit form.
    const uint8_t* header(uint64_t position, uint64_t& available)
    {
        const uint64_t wanted = std::min<uint64_t>(16, m_size - position);
        if (!m_loaded || position < m_start || position + wanted > m_start + m_length) {
            const uint64_t length = std::min<uint64_t>(kWindow, m_size - position);
            if (!m_device.seek(qint64(position)))
                return nullptr;
            const qint64 got
                = m_device.read(reinterpret_cast<char*>(m_buffer.data()), qint64(length));
            if (got < qint64(wanted))
                return nullptr;
            m_loaded = true;
            m_start = position;
            m_length = uint64_t(got);
        }
        available = m_start + m_length - position;
        return m_buffer.data() + (position - m_start);
    }

private:
    static constexpr uint64_t kWindow = 64 * 1024;
    QIODevice& m_device;
    uint64_t m_size;
    std::vector<uint8_t> m_buffer;
    bool m_loaded = false;
    uint64_t m_start = 0;
    uint64_t m_length = 0;
};

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
    uint64_t position = 0;
    for (bool first = true;; first = false) {
        if (position > data.size() || data.size() - position < 8)
            return kNoTelemetryBox;
        const Step step = walkStep(data.data() + position, data.size() - position, first,
            scrambledView, scrambleKey, position);
        if (step == Step::Stop)
            return kNoTelemetryBox;
        if (step == Step::Found)
            break;
    }
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
    HeaderWindow window(device, size);
    if (size >= 8) {
        uint64_t available = 0;
        const uint8_t* first = window.header(0, available);
        if (!first)
            return kReadFailed;
        if (const int code = checkViewMode(first, size, scrambledView, onMismatch))
            return code;
    }
    uint64_t position = 0;
    for (bool first = true;; first = false) {
        if (position > size || size - position < 8)
            return kNoTelemetryBox;
        uint64_t available = 0;
        const uint8_t* header = window.header(position, available);
        if (!header)
            return kReadFailed;
        const Step step = walkStep(header, available, first, scrambledView, scrambleKey, position);
        if (step == Step::Stop)
            return kNoTelemetryBox;
        if (step == Step::Found)
            break;
    }
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
