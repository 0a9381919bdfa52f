#pragma once

#include <QByteArray>
#include <QString>

#include <array>

class ConfigTokenReader;

// The settings popup's two folders: folder 0 receives captured frames, folder 1 copies of
// recordings. Each carries two flags that the configuration stores; every load sets them back
// to 1 and 0.
struct SettingFolders
{
    std::array<QString, 2> folders;
    std::array<std::array<int, 2>, 2> folderFlags{{{1, 0}, {1, 0}}};
};

namespace setting_folders {

// The stored directory token is used up to this many characters.
inline constexpr int kMaxDirectoryToken = 63;

// Folder reader: tokens 10 to 16 of the configuration text. Fills both folders (converted from
// the local 8-bit code page), sets the flags to 1 and 0 whatever was stored, and returns the
// last token, which the caller appends to the save popup's directory text.
QString readFolderTokens(ConfigTokenReader& reader, SettingFolders& folders);

// Folder list text: "%s?%d?%d?" for each folder (flags written as 0 or 1), then "%s?" with the
// save popup's directory text.
QByteArray folderListText(const SettingFolders& folders, const QString& saveDirectory);

} // namespace setting_folders
