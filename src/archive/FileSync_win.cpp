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

bool processRunning(qint64 pid)
{
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

} // namespace archive
