#include "clip/FileClaim.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace clip {

// An exclusive flock() on the open file: the kernel lets it go with the last descriptor, so a
// process that is killed leaves no claim behind.
std::unique_ptr<FileClaim> FileClaim::create(const QString& path, bool* exists, QString* error)
{
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    *exists = fd < 0 && errno == EEXIST;
    if (fd < 0) {
        *error = qt_error_string(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = qt_error_string(errno);
        ::close(fd);
        ::unlink(QFile::encodeName(path).constData());
        return nullptr;
    }
    return std::unique_ptr<FileClaim>(new FileClaim(fd));
}

bool FileClaim::unclaimed(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

FileClaim::~FileClaim()
{
    ::close(int(m_handle));
}

} // namespace clip
