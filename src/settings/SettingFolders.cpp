#include "settings/SettingFolders.h"

#include "settings/ConfigTokenReader.h"

namespace setting_folders {

bool storableFolder(const QString& folder)
{
    return config_text::readsBackWhole(folder.toLocal8Bit());
}

bool storableDirectory(const QString& directory)
{
    return directory.size() <= kMaxDirectoryToken && storableFolder(directory);
}

QString readFolderTokens(ConfigTokenReader& reader, SettingFolders& folders)
{
    for (int i = 0; i < 2; ++i) {
        const QByteArray folder = reader.next();
        folders.folders[i] = reader.lastTokenCut() ? QString() : QString::fromLocal8Bit(folder);
        reader.next();
        reader.next();
        folders.folderFlags[i] = {1, 0};
    }
    // Counted in characters after decoding: a card's mount point in a two-byte script is as
    // long as the same in Latin letters.
    const QByteArray token = reader.next();
    const QString directory = QString::fromLocal8Bit(token);
    return reader.lastTokenCut() || directory.size() > kMaxDirectoryToken ? QString() : directory;
}

QByteArray folderListText(
    const SettingFolders& folders, const QString& saveDirectory, DroppedTexts* dropped)
{
    DroppedTexts drops;
    QByteArray text;
    for (int i = 0; i < 2; ++i) {
        drops.folders[i] = !storableFolder(folders.folders[i]);
        if (!drops.folders[i])
            text += folders.folders[i].toLocal8Bit();
        text += '?';
        text += folders.folderFlags[i][0] != 0 ? "1?" : "0?";
        text += folders.folderFlags[i][1] != 0 ? "1?" : "0?";
    }
    drops.directory = !storableDirectory(saveDirectory);
    if (!drops.directory)
        text += saveDirectory.toLocal8Bit();
    text += '?';
    if (dropped)
        *dropped = drops;
    return text;
}

} // namespace setting_folders
