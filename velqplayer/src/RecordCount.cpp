#include "RecordCount.h"

#include "recording/TopLevelBoxes.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdint>

namespace velq {

std::optional<std::int32_t> timeRecordCount(
    const std::string& path, bool scrambled, std::uint32_t key)
{
    // Names come in UTF-8 (the viewer converts them on Windows); on Linux the bytes are the
    // name as it stands.
    QFile file(QString::fromUtf8(path.data(), qsizetype(path.size())));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The recording library's walk, so that the library and the viewer find the same block.
    recording::TopLevelBoxes boxes(file, scrambled ? key : 0);
    recording::TopBox udat;
    if (!boxes.find("udat", udat) || udat.damaged)
        return std::nullopt;
    recording::TopLevelBoxes inside(file, udat.contentStart(), udat.end(boxes.fileSize()));
    recording::TopBox time;
    if (!inside.next(time) || time.damaged || !(time.is("TIME") || time.is("RTCD")))
        return std::nullopt;
    const std::uint64_t records = (time.size - time.headerLength) / 4;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(records, INT32_MAX));
}

} // namespace velq
