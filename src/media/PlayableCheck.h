#pragma once

#include <QString>
#include <QStringList>

// Whether a file about to be named as done opens in a player. A file that libavformat opens,
// and whose first picture and first sound frame decode, is one that ffmpeg, mpv and the
// browsers take; a damaged source's tables or a damaged reference's sample description show up
// here, before the file gets its final name, rather than in the user's player afterwards.
namespace media {

enum class Fault {
    None,
    Container, // the file cannot be opened, or its header (sample descriptions, tables) is refused
    Picture, // no picture stream, or its first picture does not decode
    Sound, // sound was expected and is missing, or its first frame does not decode
    LastPicture, // the pictures from the last key frame to the end do not all decode
};

struct CheckOptions
{
    // Also decode from the last key frame to the end: a file whose index was written after its
    // media data (a recovery) goes wrong at its end as often as at its start.
    bool lastPicture = false;
    // The file must carry sound: its source had sound, so a missing sound stream is damage.
    bool expectSound = false;
};

struct PlayableCheck
{
    Fault fault = Fault::None;
    // What went wrong in FFmpeg's own words (English), or what was missing; empty when ok.
    QString detail;
    bool ok() const { return fault == Fault::None; }
};

PlayableCheck checkPlayable(const QString& path, CheckOptions options = {});

// While one lives on a thread, FFmpeg's messages from that thread are kept (errors and worse)
// or, for warnings and chatter, dropped, instead of being printed: a check or a probe that
// feeds a decoder doubtful bytes on purpose reports its verdict itself. Nested captures are
// allowed; the innermost one keeps the messages.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The kept messages, oldest first (at most a few: the first ones name the cause).
    const QStringList& errors() const { return m_errors; }

private:
    friend void keepMessage(LogCapture* capture, const QString& line);
    LogCapture* m_outer = nullptr;
    QStringList m_errors;
};

} // namespace media
