#include "recording/EventIndex.h"

#include "recording/BoxBytes.h"
#include "recording/PositionSentence.h"
#include "recording/TopLevelBoxes.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <functional>

namespace recording {

namespace {

bool isDigits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return false;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

int number(std::string_view text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

} // namespace

std::string_view EventIndex::recordText(int32_t i) const
{
    const char* record = reinterpret_cast<const char*>(records.data()) + size_t(i) * kRecordSize;
    return sentenceText(record, kRecordSize);
}

void loadEventBox(std::span<const uint8_t> data, EventIndex& state)
{
    state.loaded = false;
    BoxSize box;
    if (data.size() < 8 || !hasType(data.data() + 4, "EVTI")
        || !readBoxSize(data.data(), data.size(), 0, box) || box.size < box.headerLength)
        return;
    // A damaged size may claim far more records than the file holds; only records that start
    // inside the file are kept, so the allocation never exceeds the file.
    const size_t available = data.size() - box.headerLength;
    const size_t count = size_t(std::min<uint64_t>((box.size - box.headerLength)
            / EventIndex::kRecordSize,
        (available + EventIndex::kRecordSize - 1) / EventIndex::kRecordSize));
    std::vector<uint8_t> records(count * EventIndex::kRecordSize, 0);
    std::copy_n(
        data.data() + box.headerLength, std::min(available, records.size()), records.data());
    state.records = std::move(records);
    state.count = int32_t(count);
    state.loaded = true;
}

namespace {

// Reads `length` bytes at `offset` of whatever the walk walks.
using ReadAt = std::function<bool(uint64_t offset, uint64_t length, QByteArray& bytes)>;

// An event index of thousands of events is a megabyte; the bytes after a telemetry block are
// never more than that and some padding, except in a damaged file.
constexpr uint64_t kLongestTail = 8 << 20;

// The box's offset in the walked data, whose first byte lies at `base` in the file (the
// 4-byte grid is the file's). The top-level walk first: the camera writes the index as the
// box after its telemetry block. Then the 4-byte grid over the bytes after the last "udat" or
// "moov" box, for an index that some other bytes keep the walk from.
std::optional<uint64_t> findAfterIndex(TopLevelBoxes& boxes, uint64_t base, const ReadAt& readAt)
{
    std::optional<uint64_t> tail;
    for (TopBox box; boxes.next(box);) {
        if (box.is("udat") || box.is("moov"))
            tail = box.end(boxes.fileSize());
        else if (tail && box.is("EVTI"))
            return box.offset;
    }
    if (!tail || *tail >= boxes.fileSize())
        return std::nullopt;
    const uint64_t length = std::min(boxes.fileSize() - *tail, kLongestTail);
    QByteArray bytes;
    if (!readAt(*tail, length, bytes))
        return std::nullopt;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    for (uint64_t at = (4 - (base + *tail) % 4) % 4; at + 8 <= uint64_t(bytes.size()); at += 4) {
        if (hasType(data + at + 4, "EVTI"))
            return *tail + at;
    }
    return std::nullopt;
}

bool sliceOf(std::span<const uint8_t> data, uint64_t offset, uint64_t length, QByteArray& bytes)
{
    if (offset > data.size())
        return false;
    length = std::min<uint64_t>(length, data.size() - offset);
    bytes = QByteArray::fromRawData(
        reinterpret_cast<const char*>(data.data() + offset), qsizetype(length));
    return true;
}

void loadFromMemory(std::span<const uint8_t> data, uint64_t base, EventIndex& state)
{
    state.loaded = false;
    TopLevelBoxes boxes(data);
    const ReadAt readAt = [data](uint64_t offset, uint64_t length, QByteArray& bytes) {
        return sliceOf(data, offset, length, bytes);
    };
    if (const std::optional<uint64_t> at = findAfterIndex(boxes, base, readAt))
        loadEventBox(data.subspan(size_t(*at)), state);
}

} // namespace

std::optional<uint64_t> findEventBox(std::span<const uint8_t> file)
{
    TopLevelBoxes boxes(file);
    return findAfterIndex(boxes, 0, [file](uint64_t offset, uint64_t length, QByteArray& bytes) {
        return sliceOf(file, offset, length, bytes);
    });
}

void loadEventRecords(std::span<const uint8_t> file, EventIndex& state)
{
    loadFromMemory(file, 0, state);
}

void loadEventRecordsFromBlock(
    std::span<const uint8_t> block, uint64_t blockOffset, EventIndex& state)
{
    loadFromMemory(block, blockOffset, state);
}

bool loadEventRecords(QIODevice& device, EventIndex& state)
{
    state.loaded = false;
    const ReadAt readAt = [&device](uint64_t offset, uint64_t length, QByteArray& bytes) {
        if (!device.seek(qint64(offset)))
            return false;
        bytes = device.read(qint64(length));
        return bytes.size() == qint64(length);
    };
    TopLevelBoxes boxes(device);
    const std::optional<uint64_t> at = findAfterIndex(boxes, 0, readAt);
    if (boxes.stop() == TopLevelBoxes::Stop::ReadFailed)
        return false;
    if (!at)
        return true;
    // Only the box, as far as the file holds it.
    QByteArray header;
    if (!readAt(*at, std::min<uint64_t>(16, boxes.fileSize() - *at), header))
        return false;
    BoxSize size;
    const auto* bytes = reinterpret_cast<const uint8_t*>(header.constData());
    const uint64_t boxBytes = readBoxSize(bytes, uint64_t(header.size()), 0, size)
        ? std::max<uint64_t>(size.size, size.headerLength)
        : uint64_t(header.size());
    QByteArray box;
    if (!readAt(*at, std::min({boxBytes, boxes.fileSize() - *at, kLongestTail}), box))
        return false;
    loadEventBox(
        std::span(reinterpret_cast<const uint8_t*>(box.constData()), size_t(box.size())), state);
    return true;
}

bool loadEventRecords(const QString& path, EventIndex& state)
{
    state.loaded = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return loadEventRecords(file, state);
}

std::optional<QDateTime> eventMoment(std::string_view text)
{
    const size_t first = text.find('/');
    if (first == std::string_view::npos)
        return std::nullopt;
    const size_t second = text.find('/', first + 1);
    if (second == std::string_view::npos || first < 4 || !isDigits(text, first - 4, 4)
        || !isDigits(text, first + 1, 2) || !isDigits(text, second + 1, 2)
        || !isDigits(text, second + 4, 2) || !isDigits(text, second + 7, 2)
        || !isDigits(text, second + 10, 2))
        return std::nullopt;
    const QDate date(
        number(text, first - 4, 4), number(text, first + 1, 2), number(text, second + 1, 2));
    const QTime time(
        number(text, second + 4, 2), number(text, second + 7, 2), number(text, second + 10, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

std::vector<int> eventMarkerPositions(
    const EventIndex& state, const std::optional<QDateTime>& start, long long durationSeconds)
{
    std::vector<int> positions;
    if (!state.loaded || !start)
        return positions;
    const int32_t count
        = std::min<int32_t>(state.count, int32_t(state.records.size() / EventIndex::kRecordSize));
    for (int32_t i = 0; i < count; ++i) {
        const std::optional<QDateTime> moment = eventMoment(state.recordText(i));
        if (!moment)
            continue;
        // Real seconds between the two moments: a difference of HHMMSS numbers is wrong
        // across any minute boundary but the first, and wildly so across an hour.
        const long long elapsed = start->secsTo(*moment);
        if (elapsed > 0 && durationSeconds > 0) {
            const long long x = elapsed * kScaleWidth / durationSeconds + kScaleLeft;
            positions.push_back(int(std::clamp<long long>(x, INT32_MIN, INT32_MAX)));
        } else if (elapsed < 0 || durationSeconds < 0) {
            break;
        }
    }
    return positions;
}

} // namespace recording
