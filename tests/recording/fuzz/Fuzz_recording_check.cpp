// The check of a recording's top-level boxes on any bytes: the media range it reports lies
// within the data, and a recording it calls recoverable has media data.

#include "recording/RecordingCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const recording::RecordingCheck check = recording::checkRecording(buffer);
    if (check.mediaStart > check.mediaEnd || check.mediaEnd > size
        || (recording::isRecoverable(check.state) && check.mediaEnd == check.mediaStart))
        std::abort();
    return 0;
}
