#include "recording/RecordingCheck.h"

#include "recording/BoxBytes.h"

#include <QFile>
#include <QtGlobal>

#include <algorithm>

namespace recording {

namespace {

// Zeros or garbage after the last box a card wrote read as a header too; a type that is not
// four printable characters ends the walk rather than being taken for a box.
bool plausibleType(const uint8_t* type)
{
    for (int i = 0; i < 4; ++i) {
        if (type[i] < 0x20 || type[i] > 0x7E)
            return false;
    }
    return true;
}

bool readAt(QIODevice& device, uint64_t position, uint8_t* target, qint64 length)
{
    return device.seek(qint64(position))
        && device.read(reinterpret_cast<char*>(target), length) == length;
}

} // namespace

RecordingCheck checkRecording(QIODevice& device)
{
    RecordingCheck check;
    const qint64 size = device.size();
    if (size < 0)
        return check;
    check.fileSize = uint64_t(size);
    if (check.fileSize == 0) {
        check.state = RecordingState::Empty;
        return check;
    }
    uint8_t header[16];
    if (check.fileSize >= 8 && !readAt(device, 0, header, 8))
        return check;
    if (check.fileSize < 8 || !hasType(header + 4, "ftyp")) {
        check.state = RecordingState::NotRecording;
        return check;
    }
    bool indexWhole = false;
    bool indexCut = false;
    for (uint64_t position = 0; check.fileSize - position >= 8;) {
        const uint64_t available = check.fileSize - position;
        const qint64 wanted = available >= 16 ? 16 : 8;
        if (!readAt(device, position, header, wanted)) {
            check.state = RecordingState::Unreadable;
            return check;
        }
        BoxSize box;
        if (!plausibleType(header + 4) || !readBoxSize(header, available, 0, box))
            break;
        const bool toEnd = box.size == 0; // "extends to the end of the file"
        if (!toEnd && box.size < box.headerLength)
            break;
        const uint64_t end = toEnd || box.size > available ? check.fileSize : position + box.size;
        if (hasType(header + 4, "mdat") && check.mdatHeaderLength == 0) {
            check.mdatOffset = position;
            check.mdatHeaderLength = box.headerLength;
            check.mediaStart = std::min(position + box.headerLength, check.fileSize);
            check.mediaEnd = end;
        } else if (hasType(header + 4, "moov")) {
            if (toEnd || box.size > available)
                indexCut = true;
            else
                indexWhole = true;
        }
        if (toEnd || box.size >= available)
            break;
        position = end;
    }
    const bool media = check.mediaEnd > check.mediaStart;
    if (indexWhole)
        check.state = RecordingState::Intact;
    else if (!media)
        check.state = RecordingState::Empty;
    else
        check.state = indexCut ? RecordingState::IndexCut : RecordingState::IndexMissing;
    return check;
}

RecordingCheck checkRecording(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return checkRecording(file);
}

const char* recordingStateReason(RecordingState state)
{
    switch (state) {
    case RecordingState::Intact:
        return QT_TRANSLATE_NOOP("recording", "The recording is complete.");
    case RecordingState::IndexMissing:
        return QT_TRANSLATE_NOOP("recording",
            "The camera did not close this recording (power lost?): its index is missing. "
            "The pictures and sound can be recovered.");
    case RecordingState::IndexCut:
        return QT_TRANSLATE_NOOP("recording",
            "The recording ends inside its index: it was cut while the camera closed it. "
            "The pictures and sound can be recovered.");
    case RecordingState::Empty:
        return QT_TRANSLATE_NOOP("recording", "The recording holds no pictures or sound.");
    case RecordingState::NotRecording:
        return QT_TRANSLATE_NOOP("recording", "The file is not a recording.");
    case RecordingState::Unreadable:
        return QT_TRANSLATE_NOOP("recording", "The file cannot be read.");
    }
    return "";
}

bool isRecoverable(const QString& path)
{
    return isRecoverable(checkRecording(path).state);
}

} // namespace recording
