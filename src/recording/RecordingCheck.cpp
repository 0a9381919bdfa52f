#include "recording/RecordingCheck.h"

#include "recording/TopLevelBoxes.h"

#include <QFile>

#include <algorithm>

namespace recording {

RecordingCheck checkRecording(QIODevice& device)
{
    RecordingCheck check;
    TopLevelBoxes boxes(device);
    if (boxes.stop() == TopLevelBoxes::Stop::ReadFailed)
        return check;
    check.fileSize = boxes.fileSize();
    bool indexWhole = false;
    bool indexCut = false;
    TopBox box;
    for (bool first = true; boxes.next(box); first = false) {
        if (first && !box.is("ftyp"))
            break;
        if (box.damaged)
            break;
        if (box.is("mdat") && check.mdatHeaderLength == 0) {
            check.mdatOffset = box.offset;
            check.mdatHeaderLength = box.headerLength;
            check.mediaStart = std::min(box.contentStart(), check.fileSize);
            check.mediaEnd = box.end(check.fileSize);
        } else if (box.is("moov")) {
            // A camera writes the index's size when it has written the index; a size still 0
            // ("to the end") is the placeholder of one cut off while it was being written.
            (box.cut || box.toEnd ? indexCut : indexWhole) = true;
        }
    }
    if (boxes.stop() == TopLevelBoxes::Stop::ReadFailed)
        return check;
    const bool media = check.mediaEnd > check.mediaStart;
    if (check.fileSize == 0)
        check.state = RecordingState::Empty;
    else if (box.offset == 0 && !box.is("ftyp"))
        check.state = RecordingState::NotRecording;
    else if (indexWhole)
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
