#pragma once

#include "recording/RecordingCheck.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

class QFileDevice;
class QIODevice;

// The shape of a recovered file: the damaged file's bytes up to the end of the last sample
// kept, its media box closed there, and the new index after it.
namespace recover {

struct MediaBoxLayout
{
    uint64_t headerAt = 0; // where the media box header is written
    uint32_t headerLength = 8; // 8, or 16 for the 64-bit size
    // Zero bytes put in before the media data, making room for a 64-bit header where the
    // damaged file has neither one nor a free box in front of its media box.
    uint32_t shift = 0;
    uint64_t gapAt = 0; // where those bytes go in
};

// The header a recovered file needs: a 64-bit size once the media data may pass 4 GiB.
MediaBoxLayout mediaBoxLayout(const recording::RecordingCheck& check, QIODevice& source);

// Whether the media box ends where its header says, inside the file: the data are whole (the
// file was cut in its index, or right after the media).
bool mediaBoxWhole(const recording::RecordingCheck& check, QIODevice& source);

// Copies the damaged file to `target` (which must not exist) the fastest way the system offers,
// or, where the layout needs room for a longer header, block by block with that gap put in,
// checking `cancel` between blocks. False when it could not be copied whole.
bool copyRecording(const QString& source, const QString& target, const MediaBoxLayout& layout,
    const std::atomic<bool>* cancel);

// The copy on a thread of its own, beside the walk: the system copies while the walk reads.
// Joined by wait(), or at the latest when it goes.
class BackgroundCopy
{
public:
    BackgroundCopy(const QString& source, const QString& target, const MediaBoxLayout& layout,
        const std::atomic<bool>* cancel);
    ~BackgroundCopy();
    BackgroundCopy(const BackgroundCopy&) = delete;
    BackgroundCopy& operator=(const BackgroundCopy&) = delete;

    bool wait(); // true when the copy is whole

private:
    std::thread m_thread;
    bool m_copied = false;
};

// Closes the copy in `target` (which holds at least the damaged file's bytes up to `end`, the
// layout's shift included): cuts it after `end`, writes the media box header and appends the
// index. False when writing failed.
bool closeRecoveredFile(
    QFileDevice& target, const MediaBoxLayout& layout, uint64_t end, const QByteArray& index);

} // namespace recover
