#include "settings/FolderChoice.h"

#include "platform/Dialogs.h"
#include "resources/Strings.h"

namespace folder_choice {

bool storable(const QString& folderText)
{
    return !folderText.contains(QLatin1Char('?')) && !folderText.contains(QLatin1Char('*'));
}

std::optional<QString> choose(
    QWidget* parent, const QString& start, QString (*keep)(const QString& chosenFolder))
{
    const std::optional<QString> chosen
        = platform::browseForFolder(strings::kSelectDirectory, start, parent);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    const QString text = keep(*chosen);
    if (!storable(text)) {
        platform::messageBox(
            QString(strings::kFolderNameRefused).arg(text), {}, platform::Buttons::Ok, parent);
        return std::nullopt;
    }
    return text;
}

} // namespace folder_choice
