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
    const uint32_t size = readBigEndian32(data.data() + *start);
    if (size < 8)
        return;
    // A damaged size may claim far more records than the file holds; only records that start
    // inside the file are kept, so the allocation never exceeds the file.
    const size_t first = *start + 8;
    const size_t available = data.size() - first;
    const size_t count = std::min<size_t>((size - 8) / EventIndex::kRecordSize,
        (available + EventIndex::kRecordSize - 1) / EventIndex::kRecordSize);
    std::vector<uint8_t> records(count * EventIndex::kRecordSize, 0);
    std::copy_n(data.data() + first, std::min(available, records.size()), records.data());
    state.records = std::move(records);
    state.count = int32_t(count);
    state.loaded = true;
}

bool loadEventRecords(const QString& path, EventIndex& state)
{
    state.loaded = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size <= 0)
        return size == 0;
    const uchar* mapped = file.map(0, size);
    if (!mapped)
        return false;
    loadEventRecords(std::span(mapped, size_t(size)), state);
    file.unmap(const_cast<uchar*>(mapped));
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
    const QDate date(number(text, first - 4, 4), number(text, first + 1, 2),
        number(text, second + 1, 2));
    const QTime time(number(text, second + 4, 2), number(text, second + 7, 2),
        number(text, second + 10, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

std::vector<int> eventMarkerPositions(const EventIndex& state,
    const std::optional<QDateTime>& start, long long durationSeconds)
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
