#include "clip/FileClaim.h"

#include <windows.h>

namespace clip {

// The open handle is the claim: it lets others read, write and rename the file (this process
// renames it when it is complete), but no one can open it for themselves alone while it is
// open, and Windows closes it with a killed process.
std::unique_ptr<FileClaim> FileClaim::create(const QString& path, bool* exists, QString* error)
{
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()),
        GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        *exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        *error = qt_error_string(int(code));
        return nullptr;
    }
    *exists = false;
    return std::unique_ptr<FileClaim>(new FileClaim(reinterpret_cast<qintptr>(handle)));
}

bool FileClaim::unclaimed(const QString& path)
{
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()),
        GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

FileClaim::~FileClaim()
{
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

} // namespace clip
