#pragma once

#include <QString>

// How the settings popup and the save popup turn a folder chosen in the browser into their
// texts, and how a text is fitted into their 206-pixel boxes.
namespace directory_text {

// The save popup keeps only the root of the chosen folder's file system (the card's root), in
// native form and ending in a separator, e.g. "E:\" or "/media/card/".
QString driveRootOf(const QString& chosenFolder);

// The settings popup keeps the chosen folder itself, ending in a separator; a root already
// ends in one and is kept as it is.
QString folderFromChoice(const QString& chosenFolder);

// A text of 13 or more characters is shown as its first 13 characters and "...".
QString boxText(const QString& text);

} // namespace directory_text
