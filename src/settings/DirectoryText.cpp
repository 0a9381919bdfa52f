#include "settings/DirectoryText.h"

#include <QDir>
#include <QStorageInfo>

namespace directory_text {

namespace {

    QString withSeparator(QString path)
    {
        path = QDir::toNativeSeparators(path);
        if (!path.endsWith(QDir::separator()))
            path += QDir::separator();
        return path;
    }

} // namespace

QString driveRootOf(const QString& chosenFolder)
{
    if (chosenFolder.isEmpty())
        return {};
    const QStorageInfo volume(chosenFolder);
    // A folder whose volume cannot be told (it vanished meanwhile) is kept whole rather than
    // guessed at: the file then goes where the user pointed.
    if (!volume.isValid() || volume.rootPath().isEmpty())
        return withSeparator(chosenFolder);
    return withSeparator(volume.rootPath());
}

QString folderFromChoice(const QString& chosenFolder)
{
    if (chosenFolder.isEmpty())
        return {};
    return withSeparator(chosenFolder);
}

QString boxText(const QString& text)
{
    constexpr int kShown = 13;
    if (text.size() < kShown)
        return text;
    return text.left(kShown) + QLatin1String("...");
}

} // namespace directory_text
