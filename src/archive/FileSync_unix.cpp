#include "archive/FileSync.h"

#include <QFile>

#include <cerrno>
#include <csignal>
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

bool processRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace archive
