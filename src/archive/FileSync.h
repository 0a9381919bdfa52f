#pragma once

#include <QtGlobal>

class QFile;

// What a verified copy needs of the operating system beyond Qt: the file's bytes on the disk
// before it counts as copied, and a read-back that comes from the disk, not from the memory
// that still holds what was written.
namespace archive {

// Flushes the file's data to the device; false when the device reports an error.
bool flushToDisk(QFile& file);

// Asks the system to forget the file's cached pages, so the next read fetches them from the
// device. A hint: where the system keeps them anyway, the read-back still reads the file.
void dropCachedPages(QFile& file);

// Whether a process of this id runs on this computer: a temporary copy named for a process
// that is gone was left by an importer that died.
bool processRunning(qint64 pid);

} // namespace archive
