#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace folder_choice {

// Opens the folder browser titled "Please select the directory" at `start` and turns the chosen
// folder into the text to keep with `keep`. Nothing when the user cancels, or when the text
// holds "?" or "*", which separate the stored configuration's texts: the user is told and the
// old folder stays.
std::optional<QString> choose(
    QWidget* parent, const QString& start, QString (*keep)(const QString& chosenFolder));

// False for a text that the stored configuration could not give back as it is.
bool storable(const QString& folderText);

} // namespace folder_choice
