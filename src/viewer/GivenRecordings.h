#pragma once

#include <QString>
#include <QStringList>

// Recordings handed to the viewer from outside its file selector: paths on its command line
// and files dropped on its window. They join the play list by the selector's own rules
// (files::isRecordingOfKind): a file counts when its name is a recording's, a folder gives its
// recordings of the three kinds (not those of its subfolders), each kind in the order its tab
// lists them.
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
