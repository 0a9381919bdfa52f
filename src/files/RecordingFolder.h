#pragma once

#include "recording/RecordingName.h"

#include <QString>
#include <QStringList>

// A folder's recordings of one kind, as the file selector's tabs list them: by the recording
// library's rule for the tabs (recording::listsUnderKind(): the kind's prefix anywhere in the
// file's own name, ".mp4", so copies and clips list beside the recordings; never hidden or
// temporary files). Only regular files (or links to them) count; a folder named like one does
// not.
namespace files {

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
