#include "archive/FileSync.h"

#include <QFile>

#include <io.h>
#include <windows.h>

namespace archive {

bool flushToDisk(QFile& file)
{
    if (!file.flush())
        return false;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

void dropCachedPages(QFile&)
{
    // Windows drops a file's cache only for handles opened without buffering; the read-back
    // then reads what the cache holds, which the flush has written to the disk.
}

} // namespace archive
