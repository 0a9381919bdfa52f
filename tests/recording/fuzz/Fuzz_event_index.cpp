// The event index: the load from memory against the load from a device, then the marker
// placement for a start and duration taken from the input.

#include "recording/EventIndex.h"
#include "recording/RecordingName.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int duration = int8_t(data[0]) * 7;
    const std::span<const uint8_t> file(data + 2, size - 2);

    recording::EventIndex events;
    recording::loadEventRecords(file, events);

    QByteArray bytes(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    recording::EventIndex fromDevice;
    if (!recording::loadEventRecords(buffer, fromDevice) || fromDevice.loaded != events.loaded
        || fromDevice.records != events.records)
        std::abort();
    if (events.loaded && events.records.size() != size_t(events.count) * 256)
        std::abort();
    recording::EventIndex fromBlock;
    recording::loadEventRecordsFromBlock(file.subspan(data[1] % file.size()), data[1], fromBlock);

    // The file name part is made from the input too: it must never read past its text.
    const QString name = QStringLiteral("/card_x/evt_")
        + QString::fromLatin1(reinterpret_cast<const char*>(file.data()),
            qsizetype(std::min<size_t>(file.size(), 20)));
    const std::optional<QDateTime> start = recording::recordingStart(name);
    recording::eventMarkerPositions(events, start, duration);
    recording::eventMarkerPositions(
        events, QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC), duration);
    return 0;
}
