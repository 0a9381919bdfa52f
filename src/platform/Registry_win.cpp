#include "platform/Registry.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {

std::wstring fullKey(const QString& key)
{
    QString path = QString::fromLatin1(Registry::kProductKey);
    if (!key.isEmpty())
        path += QLatin1Char('\\') + key;
    return path.toStdWString();
}

// The machine-wide hive is the first choice for writing; an ordinary user may not write there,
// so a write falls back to the user's own hive. A value in the user's hive is therefore the
// newer one, and reads look there first: otherwise a value once written machine-wide would
// hide every later save of a user without those rights.
// Not constexpr: the hive handles are integers cast to pointers.
const HKEY kWriteOrder[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
const HKEY kReadOrder[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

bool deleteValue(HKEY hive, const std::wstring& path, const std::wstring& name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return true;
    const LONG rc = RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

} // namespace

QString Registry::fileRoot()
{
    return {};
}

std::optional<QByteArray> Registry::read(const QString& key, const QString& valueName)
{
    const std::wstring path = fullKey(key);
    const std::wstring name = valueName.toStdWString();
    for (HKEY hive : kReadOrder) {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
            continue;
        DWORD size = 0;
        LONG rc = RegQueryValueExW(handle, name.c_str(), nullptr, nullptr, nullptr, &size);
        QByteArray bytes;
        if (rc == ERROR_SUCCESS) {
            bytes.resize(static_cast<qsizetype>(size));
            rc = RegQueryValueExW(handle, name.c_str(), nullptr, nullptr,
                reinterpret_cast<BYTE*>(bytes.data()), &size);
            bytes.resize(static_cast<qsizetype>(size));
        }
        RegCloseKey(handle);
        if (rc == ERROR_SUCCESS)
            return bytes;
    }
    return std::nullopt;
}

bool Registry::write(const QString& key, const QString& valueName, const QByteArray& bytes)
{
    const std::wstring path = fullKey(key);
    const std::wstring name = valueName.toStdWString();
    for (HKEY hive : kWriteOrder) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                nullptr)
            != ERROR_SUCCESS)
            continue;
        // A single RegSetValueEx replaces the value atomically.
        const LONG rc = RegSetValueExW(handle, name.c_str(), 0, REG_BINARY,
            reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
        RegCloseKey(handle);
        if (rc != ERROR_SUCCESS)
            continue;
        if (hive == HKEY_LOCAL_MACHINE)
            deleteValue(HKEY_CURRENT_USER, path, name); // would hide the value just written
        return true;
    }
    return false;
}

bool Registry::remove(const QString& key, const QString& valueName)
{
    const std::wstring path = fullKey(key);
    const std::wstring name = valueName.toStdWString();
    bool gone = true;
    for (HKEY hive : kWriteOrder)
        gone = deleteValue(hive, path, name) && gone;
    return gone;
}

} // namespace platform
