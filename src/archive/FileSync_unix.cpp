#include "archive/FileSync.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace archive {

bool flushToDisk(QFile& file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

void dropCachedPages(QFile& file)
{
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
}

} // namespace archive
