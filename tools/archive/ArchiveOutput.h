#pragma once

#include "archive/ArchiveTypes.h"

#include <vector>

class QTextStream;

// How zyn-archive writes what it found: one line per moment or drive, or JSON for tools.
namespace archivetool {

void writeMoments(const std::vector<archive::Moment>& moments, bool json, QTextStream& out);
void writeDrives(const std::vector<archive::DriveRow>& drives, bool json, QTextStream& out);
// "+1 h (daylight saving time, or the clock was set)": what a jump of the clock means.
QString jumpNote(int seconds);

} // namespace archivetool
