#include "platform/WholeFile.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace platform {

int writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Unbuffered, so that a disk that takes only part of the bytes fails the write itself: a
    // buffered write reports all of them taken, and the failure of the flush inside commit()
    // does not stop it from putting the cut file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    if (file.write(bytes) != bytes.size())
        return 2; // nothing committed: the old file is still intact
    return file.commit() ? 0 : 3;
}

} // namespace platform
