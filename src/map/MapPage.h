#pragma once

#include <QByteArray>
#include <QString>

// The map page file, the script it loads and where both are put.
//
// The page is written once per installation and then kept as it is, even when its content
// differs from what this program would write. Our script is this build's own and is replaced
// whenever the copy beside the page differs.
namespace mapview {

inline constexpr char kPageFileName[] = "googlemap.htm";
inline constexpr char kScriptFileName[] = "zynmap.js";
// The build (and an installer) may place Leaflet beside the program in this folder.
inline constexpr char kLeafletFolder[] = "leaflet";

// The page as written: the fixed head, the three position lines written with zeros, the
// compatibility check and the rest of the script and the body.
QByteArray pageBytes();

// The script the page loads in place of the map provider's interface.
QByteArray scriptBytes();

// Puts the page and the script in the first folder that holds both: the program's folder,
// else the user's data folder, which also receives a copy of the Leaflet folder found beside
// the program. Each file is written whole or not at all. Returns the page's path, or an empty
// text when neither folder can hold the page.
QString writePage(const QString& programFolder, const QString& userFolder);

// The executable's folder, and the user's data folder for this program.
QString programFolder();
QString userDataFolder();

} // namespace mapview
