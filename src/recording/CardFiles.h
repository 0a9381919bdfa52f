#pragma once

#include "recording/RecordingName.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One view of the card: which files of a folder are the camera's recordings, in which order,
// and what every other file beside them is. Every tool and window that takes recordings from a
// folder asks here (the play list, the command line and dropped folders, drives and
// zyn-telemetry, clips' spans, recovery's reference, the file selector's tabs), so they agree.
//
// A card as drivers leave it holds, beside the camera's recordings, what was made from them:
//
//   drf_20250614_142337.mp4              Recording   (the camera's own: kind, start 14:23:37)
//   evt_20250614_142437.mp4              Recording
//   drf_20250614_142537.mp4              Recording   the camera never closed it (power cut) ...
//   drf_20250614_142537_recovered.mp4    Recovered   ... so this copy stands in for it
//   clip_evt_20250614_142440.mp4         Derived     (an exported clip, with its
//   clip_evt_20250614_142440_overlay.mp4 Derived      drawn version,
//   clip_evt_20250614_142440.gpx/.csv    Derived      telemetry and
//   clip_evt_20250614_142440.mp4.sha256  Derived      checksum list)
//   copy_drf_20250614_142337.mp4         Derived     (the viewer's copy)
//   .clip_evt_20250614_142440.mp4.0.part Hidden      (an unfinished write; dot files alike)
//
// listCard() gives the first kind, the camera's recordings, in the order they were recorded
// across the three kinds, with a recovered copy in place of its original when the original
// cannot be played. Only names decide, never the folders on the way (a folder called
// "evt_backup" says nothing of its files); the only file read is an original that has a
// recovered copy beside it (its box headers, to learn whether it is intact).
namespace recording {

enum class CardRole {
    // The camera's own recording: its name opens with "drf_", "evt_" or "muevt_", the date
    // YYYYMMDD, "_" and the time HHMMSS, and ends there in ".mp4" (lower case, as the camera
    // writes it).
    Recording,
    // "<a recording's name without .mp4>_recovered.mp4", written by recovery beside a
    // recording the camera never closed.
    Recovered,
    // Made from recordings: exported clips ("clip_..."), their drawn version ("..._overlay.mp4"),
    // GPX, CSV and checksum lists, copies ("copy_..."), and any other name that carries a
    // recording's prefix and time without being the camera's (such as "drf_... (1).mp4").
    Derived,
    // Hidden files (a name opening with ".": unfinished writes, a Mac's "._" companions) and
    // temporary ones (".part"): never a recording.
    Hidden,
    // Anything else.
    Other,
};

// What a Derived file is, by its name.
enum class Derivation {
    None, // not Derived
    Copy, // "copy_<recording>.mp4", the viewer's byte-for-byte copy
    Clip, // "clip_<kind>_<time>[-n].mp4", an exported span (the camera's packets, re-muxed)
    DrawnClip, // "..._overlay.mp4", a clip drawn with its telemetry (re-encoded)
    SideFile, // a clip's ".gpx", ".csv" and ".mp4.sha256"
    Other, // any other name carrying a recording's prefix and time
};

struct CardName
{
    CardRole role = CardRole::Other;
    Derivation derivation = Derivation::None;
    // The kind and the camera's clock time (zone-less, held as UTC as recordingStart() does)
    // that the name carries; for Derived names, those of the recording named inside.
    RecordingType kind = NotARecording;
    QDateTime start;
    // Recovered: the file name of the recording it stands in for.
    QString original;
    bool isVideo = false; // the name ends in ".mp4"
};

// What a file name (without its folder) is on a card.
CardName classifyName(const QString& fileName);

// The camera's own recording (CardRole::Recording), by its file name.
bool isCameraRecording(const QString& fileName);

// "<name without its extension>_recovered.mp4": the name recovery gives a recording's copy.
QString recoveredName(const QString& fileName);

struct CardRecording
{
    QString path; // the folder as given joined with the name, cleaned, with '/' separators
    RecordingType kind = NotARecording;
    QDateTime start; // the camera's clock time of its name
    // For a recovered copy standing in for its original: the original's path; else empty.
    QString replaces;
};

struct CardListing
{
    bool readable = false; // false when the folder is missing, not a folder, or not readable
    // Ordered by the names' times across kinds (equal times by name: drf, evt, muevt).
    QList<CardRecording> recordings;
    // Damaged originals that a recovered copy stands in for (paths).
    QStringList replaced;

    QStringList paths() const;
};

// The camera's recordings in the folder (not its subfolders). A recovered copy stands in for
// its original when the original is not intact (never closed, cut, empty, unreadable) or gone;
// beside an intact original it is left out, as the same recording twice.
CardListing listCard(const QString& folder);

// What a folder stands for when it is given whole (on a command line, dropped on the viewer):
// its camera recordings as listCard() gives them; a folder without any (clips or copies
// received on their own) stands for the recordings made from them that it holds (clips and
// copies, not the drawn clips that repeat them), in the same order.
QStringList folderRecordings(const QString& folder);

// The file selector's rule for its tab of `kind`: a name (never its folders) that ends in
// ".mp4" and holds the kind's prefix anywhere ("drf_"; "evt_" but not "muevt_"; "muevt_"),
// so that copies and clips list beside the recordings. Case matters: the camera writes lower
// case. Hidden and temporary files never list.
bool listsUnderKind(const QString& fileName, RecordingType kind);

// The kind of the first of the selector's tabs (Continuous, ManualEvent, Event tested in that
// order) whose rule the name meets, or NotARecording.
RecordingType selectorKind(const QString& fileName);

} // namespace recording
