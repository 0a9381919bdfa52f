#pragma once

#include "settings/SettingFolders.h"
#include "settings/ViewerSettings.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The viewer configuration: one registry value of "?"-separated text holding the settings
// record, the volume, the settings popup's folders and the save popup's directory. The main
// window reads it once while it is created and writes it once while it is destroyed; these
// functions take and give plain values so that the windows only pass them on.
namespace viewer_config {

inline constexpr const char* kKey = "Viewer Config";
inline constexpr const char* kValueName = "config";
// Longest text stored or read; a longer stored value is ignored and the defaults apply.
inline constexpr int kMaxTextSize = 512;
inline constexpr int kDefaultVolume = 128;

// What a load hands out.
struct Loaded
{
    ViewerSettings settings; // for the settings popup's set-record
    int passwordGate = 0; // the main window's password-gate flag
    QByteArray password; // the main window's stored password, at most four characters
    // Set when the stored text was read past token 9: the folders for the settings popup and
    // the directory token to append to the save popup's directory text. Without a stored text
    // the popups keep what they were created with.
    bool foldersRead = false;
    SettingFolders folders;
    QString directoryToken;
    int volume = kDefaultVolume; // every run starts at 128, whatever was stored
};

// What a save needs from the settings popup, when there is one.
struct PopupState
{
    ViewerSettings record; // the popup's get-record
    SettingFolders folders;
    QString saveDirectory;
};

ViewerSettings defaultSettings();

// ownerValue is the player adapter's scramble key, filled into the record on a load from a
// stored text. A stored speed unit other than 0, 1 or 2 loads as 0 (km/h), and any password
// flag other than 0 as 1: a garbled flag keeps the viewer locked rather than opening it.
Loaded parse(const QByteArray& storedText, int32_t ownerValue);
Loaded load(int32_t ownerValue);

// The text to store. A folder or directory text that the load would not give back whole (see
// setting_folders::storableFolder) is stored empty, since a cut path names another folder. A
// text that would exceed 512 bytes could not be read back at all, which would also drop the
// password gate; in that case the folder and directory texts, the only parts that can grow so
// long, are all stored empty. `dropped`, when given, says which texts were stored empty.
QByteArray format(int volume, const std::optional<PopupState>& popup,
    setting_folders::DroppedTexts* dropped = nullptr);
// False when the registry refused the value (the previous value then stays). `dropped` as for
// format().
bool save(int volume, const std::optional<PopupState>& popup,
    setting_folders::DroppedTexts* dropped = nullptr);

} // namespace viewer_config
