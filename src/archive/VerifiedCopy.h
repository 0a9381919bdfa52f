#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

// Copying a recording into the archive so that a copy that exists is a good one.
namespace archive {

enum CopyCode : int {
    Copied = 0,
    CannotRead = 1, // the source could not be read whole
    CannotWrite = 2, // the copy could not be written (a full disk, a read-only folder)
    Mismatch = 3, // the copy read back differs from the source
    CopyCancelled = 4,
};

struct CopyControl
{
    std::function<void(qint64 bytes)> progress; // bytes copied so far, every few megabytes
    const std::atomic<bool>* cancel = nullptr;
    // Called with the written copy before it is read back: a place to look at it (tests
    // damage it here to see the read-back catch it).
    std::function<void(const QString& copy)> beforeReadBack;
};

// Copies `source` into the new file `target` (which must not exist), hashing the source as it
// is read; flushes the copy to the disk and reads it back from there: the copy counts only when
// its hash is the source's. On any failure the target is removed. `sha256` gets the hash.
int copyVerified(const QString& source, const QString& target, const CopyControl& control,
    QByteArray* sha256, QString* error);

} // namespace archive
