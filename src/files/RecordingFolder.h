#pragma once

#include "recording/RecordingName.h"

#include <QString>
#include <QStringList>

// Which files of a folder are recordings, and of which kind: the rules the file selector's
// tabs list by, shared with every other way recordings join the play list (the command line,
// files dropped on the main window).
//
// A file is a recording of a kind when its own name (never its folders: a folder called
// "evt_backup" says nothing about the files in it)
//   - ends in ".mp4" (lower case; "clip.mp4.part" is an unfinished copy, not a recording), and
//   - Continuous:  contains "drf_";
//     Event:       contains "evt_" but not "muevt_";
//     ManualEvent: contains "muevt_".
// The tests are case-sensitive, as the camera writes its names in lower case: "EVT_1.MP4" is
// nothing. The prefix may stand anywhere in the name, so the viewer's own copies
// ("copy_evt_...") still count. Only regular files (or links to them) are recordings; a
// folder named like one is not.
namespace files {

// True when the file name (without folder) is a recording of the kind.
bool isRecordingOfKind(const QString& fileName, recording::RecordingType kind);

// The kind of a file name: the first of Continuous, ManualEvent, Event whose rule it meets
// (the order recording::recordingType() uses), or NotARecording.
recording::RecordingType recordingKind(const QString& fileName);

// A folder's recordings of one kind.
struct FolderListing
{
    // False when the folder could not be read (missing, not a folder, no permission).
    bool readable = false;
    // File names without the folder, sorted by name: for the camera's names that is the
    // order of their start dates and times.
    QStringList names;
};

// Reads the folder once and keeps the regular files of the kind.
FolderListing listRecordings(const QString& folder, recording::RecordingType kind);

// True as soon as one regular file of the kind is found; false for an unreadable folder.
bool folderHasRecordings(const QString& folder, recording::RecordingType kind);

// The full path of a file of the folder with the platform's separator, without doubling the
// separator after a root folder such as "/" or "E:\".
QString recordingPath(const QString& folder, const QString& fileName);

} // namespace files
