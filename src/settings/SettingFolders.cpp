#include "settings/SettingFolders.h"

#include "settings/ConfigTokenReader.h"

namespace setting_folders {

QString readFolderTokens(ConfigTokenReader& reader, SettingFolders& folders)
{
    for (int i = 0; i < 2; ++i) {
        folders.folders[i] = QString::fromLocal8Bit(reader.next());
        reader.next();
        reader.next();
        folders.folderFlags[i] = {1, 0};
    }
    // Cut after decoding: a byte cut could split a multi-byte character of the path.
    return QString::fromLocal8Bit(reader.next()).left(kMaxDirectoryToken);
}

QByteArray folderListText(const SettingFolders& folders, const QString& saveDirectory)
{
    QByteArray text;
    for (int i = 0; i < 2; ++i) {
        text += folders.folders[i].toLocal8Bit();
        text += '?';
        text += folders.folderFlags[i][0] != 0 ? "1?" : "0?";
        text += folders.folderFlags[i][1] != 0 ? "1?" : "0?";
    }
    text += saveDirectory.toLocal8Bit();
    text += '?';
    return text;
}

} // namespace setting_folders
