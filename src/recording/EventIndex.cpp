#include "recording/EventIndex.h"

#include "recording/BoxBytes.h"
#include "recording/PositionSentence.h"

#include <QFile>

#include <algorithm>
#include <cstring>

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

std::optional<size_t> findEventBox(std::span<const uint8_t> data)
{
    for (size_t start = 0; data.size() >= 8 && start <= data.size() - 8; start += 4) {
        if (hasType(data.data() + start + 4, "EVTI"))
            return start;
    }
    return std::nullopt;
}

void loadEventRecords(std::span<const uint8_t> data, EventIndex& state)
{
    state.loaded = false;
    const std::optional<size_t> start = findEventBox(data);
    if (!start)
        return;
    BoxSize box;
    if (!readBoxSize(data.data() + *start, data.size() - *start, 0, box)
        || box.size < box.headerLength)
        return;
    // A damaged size may claim far more records than the file holds; only records that start
    // inside the file are kept, so the allocation never exceeds the file.
    const size_t first = *start + box.headerLength;
    const size_t available = data.size() - first;
    const size_t count = size_t(std::min<uint64_t>((box.size - box.headerLength)
            / EventIndex::kRecordSize,
        (available + EventIndex::kRecordSize - 1) / EventIndex::kRecordSize));
    std::vector<uint8_t> records(count * EventIndex::kRecordSize, 0);
    std::copy_n(data.data() + first, std::min(available, records.size()), records.data());
    state.records = std::move(records);
    state.count = int32_t(count);
    state.loaded = true;
}

std::optional<qint64> findEventBox(QIODevice& device, qint64 chunkBytes)
{
    const qint64 size = device.size();
    // Each chunk is read with the 4 bytes after it, so a type field that straddles two chunks
    // is seen with the chunk its box starts in.
    std::vector<char> chunk(size_t(chunkBytes) + 4);
    const std::string_view type("EVTI");
    for (qint64 base = 0; base + 8 <= size; base += chunkBytes) {
        const qint64 wanted = std::min<qint64>(chunkBytes + 4, size - base);
        if (!device.seek(base) || device.read(chunk.data(), wanted) != wanted)
            return std::nullopt;
        const std::string_view window(chunk.data(), size_t(wanted));
        for (size_t at = window.find(type, 4); at != std::string_view::npos;
             at = window.find(type, at + 1)) {
            const size_t start = at - 4;
            if (start >= size_t(chunkBytes))
                break;
            if (start % 4 == 0)
                return base + qint64(start);
        }
    }
    return std::nullopt;
}

bool loadEventRecords(const QString& path, EventIndex& state)
{
    state.loaded = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<qint64> start = findEventBox(file);
    if (!start)
        return true;
    uint8_t header[16];
    const qint64 headerBytes = std::min<qint64>(16, file.size() - *start);
    if (!file.seek(*start)
        || file.read(reinterpret_cast<char*>(header), headerBytes) != headerBytes)
        return false;
    // Read only the box, as far as the file holds it; the records' rules are those of the
    // in-memory load.
    BoxSize size;
    const uint64_t boxBytes = readBoxSize(header, uint64_t(headerBytes), 0, size)
        ? std::max<uint64_t>(size.size, size.headerLength)
        : uint64_t(headerBytes);
    const qint64 length = qint64(std::min<uint64_t>(boxBytes, uint64_t(file.size() - *start)));
    QByteArray box(length, Qt::Uninitialized);
    if (!file.seek(*start) || file.read(box.data(), length) != length)
        return false;
    loadEventRecords(
        std::span(reinterpret_cast<const uint8_t*>(box.constData()), size_t(length)), state);
    return true;
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
