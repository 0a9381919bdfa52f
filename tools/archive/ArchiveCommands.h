#pragma once

#include "archive/ArchiveTypes.h"
#include "drive/DriveTypes.h"

#include <QString>
#include <QStringList>

#include <atomic>

class QTextStream;

// The commands of zyn-archive, each returning the exit status: 0 done, 1 a recording could not
// be read or nothing matched what a command needs (or the command line is wrong), 2 a write
// failed or the work was interrupted.
namespace archivetool {

struct Options
{
    QString root; // the archive folder
    QString database; // empty: the SQLite index in the folder
    QString vehicle;
    drive::DetectionThresholds thresholds;
    archive::Query query;
    bool json = false;
    QString output; // clip: the folder to write into
    QStringList inputs; // import: the card folders
};

int runImport(const Options& options, const std::atomic<bool>& interrupted, QTextStream& out,
    QTextStream& errors);
int runFind(const Options& options, QTextStream& out, QTextStream& errors);
int runDrives(const Options& options, QTextStream& out, QTextStream& errors);
int runCheck(const Options& options, const std::atomic<bool>& interrupted, QTextStream& out,
    QTextStream& errors);
int runClip(const Options& options, const std::atomic<bool>& interrupted, QTextStream& out,
    QTextStream& errors);

} // namespace archivetool
