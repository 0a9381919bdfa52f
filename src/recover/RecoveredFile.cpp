#include "recover/RecoveredFile.h"

#include "recover/Mp4Boxes.h"

#include <QFile>
#include <QFileDevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace recover {

MediaBoxLayout mediaBoxLayout(const recording::RecordingCheck& check, QIODevice& source)
{
    MediaBoxLayout layout;
    layout.headerAt = check.mdatOffset;
    layout.headerLength = check.mdatHeaderLength == 16 ? 16 : 8;
    if (layout.headerLength == 16 || check.mediaEnd - check.mdatOffset <= UINT32_MAX)
        return layout;
    layout.headerLength = 16;
    // Muxers leave an 8-byte free box in front of the media box for just this.
    uint8_t before[8] = {};
    if (check.mdatOffset >= 8 && source.seek(qint64(check.mdatOffset - 8))
        && source.read(reinterpret_cast<char*>(before), 8) == 8 && read32(Bytes(before, 8), 0) == 8
        && (std::memcmp(before + 4, "free", 4) == 0 || std::memcmp(before + 4, "skip", 4) == 0
            || std::memcmp(before + 4, "wide", 4) == 0)) {
        layout.headerAt = check.mdatOffset - 8;
        return layout;
    }
    layout.shift = 8;
    layout.gapAt = check.mdatOffset + 8;
    return layout;
}

bool mediaBoxWhole(const recording::RecordingCheck& check, QIODevice& source)
{
    uint8_t header[16] = {};
    if (!source.seek(qint64(check.mdatOffset))
        || source.read(reinterpret_cast<char*>(header), check.mdatHeaderLength)
            != qint64(check.mdatHeaderLength))
        return false;
    const Bytes bytes(header, sizeof header);
    const uint64_t size = check.mdatHeaderLength == 16 ? read64(bytes, 8) : read32(bytes, 0);
    return size > check.mdatHeaderLength && check.mdatOffset + size == check.mediaEnd;
}

bool copyRecording(const QString& source, const QString& target, const MediaBoxLayout& layout,
    const std::atomic<bool>* cancel)
{
    if (layout.shift == 0)
        return QFile::copy(source, target) && !(cancel && cancel->load());
    QFile from(source), to(target);
    if (!from.open(QIODevice::ReadOnly) || !to.open(QIODevice::NewOnly | QIODevice::WriteOnly))
        return false;
    const uint64_t end = uint64_t(from.size());
    std::vector<char> block(4 << 20);
    for (uint64_t done = 0; done < end;) {
        if (cancel && cancel->load())
            return false;
        // A block never crosses the gap: the bytes before it end one.
        const uint64_t stop = done < layout.gapAt ? std::min(end, layout.gapAt) : end;
        const qint64 piece = qint64(std::min<uint64_t>(block.size(), stop - done));
        if (from.read(block.data(), piece) != piece || to.write(block.data(), piece) != piece)
            return false;
        done += uint64_t(piece);
        if (done == layout.gapAt && to.write(QByteArray(int(layout.shift), '\0')) != layout.shift)
            return false;
    }
    return to.flush();
}

BackgroundCopy::BackgroundCopy(const QString& source, const QString& target,
    const MediaBoxLayout& layout, const std::atomic<bool>* cancel)
    : m_thread([this, source, target, layout, cancel] {
        m_copied = copyRecording(source, target, layout, cancel);
    })
{ }

BackgroundCopy::~BackgroundCopy()
{
    wait();
}

bool BackgroundCopy::wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_copied;
}

bool closeRecoveredFile(
    QFileDevice& target, const MediaBoxLayout& layout, uint64_t end, const QByteArray& index)
{
    const uint64_t fileEnd = end + layout.shift;
    const uint64_t size = fileEnd - layout.headerAt;
    BoxWriter header;
    if (layout.headerLength == 16) {
        header.u32(1);
        header.bytes(QByteArrayLiteral("mdat"));
        header.u64(size);
    } else {
        header.u32(uint32_t(size));
    }
    return target.flush() && target.resize(qint64(fileEnd)) && target.seek(qint64(layout.headerAt))
        && target.write(header.data()) == header.data().size() && target.seek(qint64(fileEnd))
        && target.write(index) == index.size() && target.flush();
}

} // namespace recover
