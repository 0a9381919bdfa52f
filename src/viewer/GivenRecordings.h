#pragma once

#include <QString>
#include <QStringList>

// Recordings handed to the viewer from outside its file selector: paths on its command line
// and files dropped on its window. A file counts when its name is one the selector lists
// (recording::selectorKind()); a folder gives what it stands for (recording::folderRecordings():
// the camera's recordings in the order they were recorded, whatever their kind, with recovered
// copies standing in for damaged originals; not those of its subfolders).
namespace given_recordings {

struct Gathered
{
    // Full paths in the form the file selector hands over, each once, in the order given.
    QStringList recordings;
    // What was given but holds no recording (a file of another name, a missing path, a folder
    // without recordings), as given.
    QStringList refused;
};

Gathered gather(const QStringList& paths);

} // namespace given_recordings
