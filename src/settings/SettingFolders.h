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

// The save popup's directory text holds at most this many characters.
inline constexpr int kMaxDirectoryToken = 63;

// Whether the configuration gives the text back as it was stored: a folder text of at most
// config_text::kMaxTokenBytes bytes, a directory text also of at most kMaxDirectoryToken
// characters, neither holding a character that ends a token ("?", "*", NUL). A cut path would
// name another folder, so a text that fails is stored empty instead.
bool storableFolder(const QString& folder);
bool storableDirectory(const QString& directory);

// Folder reader: tokens 10 to 16 of the configuration text. Fills both folders (converted from
// the local 8-bit code page), sets the flags to 1 and 0 whatever was stored, and returns the
// last token, which the caller appends to the save popup's directory text. A folder token the
// reader had to cut, and a directory token over kMaxDirectoryToken characters, read as empty.
QString readFolderTokens(ConfigTokenReader& reader, SettingFolders& folders);

// Which texts folderListText() stored empty, because they are not storable.
struct DroppedTexts
{
    std::array<bool, 2> folders{};
    bool directory = false;

    bool any() const { return folders[0] || folders[1] || directory; }
};

// Folder list text: "%s?%d?%d?" for each folder (flags written as 0 or 1), then "%s?" with the
// save popup's directory text; a text that is not storable is written empty.
QByteArray folderListText(
    const SettingFolders& folders, const QString& saveDirectory, DroppedTexts* dropped = nullptr);

} // namespace setting_folders
