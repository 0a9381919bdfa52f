#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// What a clip covers: moments of the camera's wall clock, to the second, as the recordings'
// names give them (zone-less, held as UTC like recording::recordingStart()), and the pieces of
// recordings that make it up.
namespace clip {

struct Span
{
    QDateTime from;
    QDateTime to; // the first second no longer in the span
};

// One recording as the export sees it: its name's start, the length of its video and the
// parameters of its streams (recordings join only when these are equal).
struct Source
{
    QString path;
    QDateTime start;
    int64_t durationUs = 0;
    QByteArray streams; // codec, size, sample rate and codec set-up of each stream, in order
    QString kind; // "drf", "evt" or "muevt"
};

// The part of a recording a clip uses, in the recording's own time.
struct Piece
{
    Source source;
    int64_t fromUs = 0;
    int64_t toUs = 0;
};

struct ClipPlan
{
    QList<Piece> pieces;
    Span span; // what the pieces cover, by the names' times
    QString kind; // of the name: "evt" or "muevt" when an event lies inside, else "drf"
    QByteArray eventRecords; // the recordings' 256-byte event records inside the span, as stored
    int seconds() const { return int(span.from.secsTo(span.to)); }
};

struct PlanResult
{
    QList<ClipPlan> clips;
    QStringList messages; // why the span was split or shortened, one line each
    QStringList unreadable; // recordings inside the span that could not be read
};

// Seconds either side of an event marker that "save the event" proposes.
constexpr int kEventMargin = 15;
// Neighbouring recordings are continuous when the next one starts within this of the end of
// the one before, by the names' times and the lengths.
constexpr int64_t kJoinToleranceUs = 2'000'000;

// The file name with a separator before it: the recording library finds the kind's prefix only
// after the first character of a path, and a folder's name must not decide the kind.
QString nameOnly(const QString& path);

// Opens a recording's container and decodes its first picture and sound frame; nothing, with
// `error` set, when it cannot be read or they do not decode.
std::optional<Source> probeRecording(const QString& path, QString* error);

// The clips that export `span`: the recordings of `candidates` that the span touches, cut at its
// ends, one clip per run of continuous recordings with equal stream parameters. A folder, or a
// camera recording given, stands for the card's recordings in that folder
// (recording::listCard(): never the clips, copies and drawn clips beside them, and a recovered
// copy in place of a damaged original); a clip or copy given stands for itself alone. A
// recording that cannot be read is left out, named in a message, and the span goes on after
// it in a new clip. When nothing is planned, a message says what times the recordings cover.
PlanResult planClips(const QStringList& candidates, const Span& span);

// The plan of a clip made of `pieces` (at least one), its span, kind and events theirs.
ClipPlan planOf(QList<Piece> pieces);

// 15 s before to 15 s after each event marker of an event recording, overlapping spans joined.
QList<Span> eventSpans(const QString& recording);
// The spans in time order, those that overlap or touch made one.
QList<Span> mergeSpans(QList<Span> spans);

// Keeps FFmpeg's own log lines (a damaged file's inner details) off standard error: the
// messages here already name the recording and the reason. It sets a process-wide level.
void quietLibraryLog();

// The span that whole recordings cover, from the first one's start to the last one's end.
std::optional<Span> recordingsSpan(const QStringList& recordings, QStringList* messages);

} // namespace clip
