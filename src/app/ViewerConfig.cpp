#include "app/ViewerConfig.h"

#include "platform/Registry.h"
#include "settings/ConfigTokenReader.h"

#include <algorithm>

namespace viewer_config {

namespace {

    QByteArray fieldText(const char* field, std::size_t length)
    {
        return QByteArray(field, static_cast<qsizetype>(length));
    }

    QByteArray recordPart(const ViewerSettings& record, int volume)
    {
        QByteArray text;
        for (int value : {record.level, record.deviceValue, record.speedUnit, record.passwordOn})
            text += QByteArray::number(value) + '?';
        // Each text stops at its NUL or at the field's end, so a record without a NUL cannot drag
        // the neighbouring bytes into the value.
        text += fieldText(record.password, viewer_settings::fieldLength(record.password)) + '?';
        text += fieldText(record.deviceText, viewer_settings::fieldLength(record.deviceText)) + '?';
        text += "??" + QByteArray::number(volume) + '?';
        return text;
    }

} // namespace

ViewerSettings defaultSettings()
{
    ViewerSettings settings;
    settings.level = 2;
    settings.deviceValue = 21;
    return settings;
}

Loaded parse(const QByteArray& storedText, int32_t ownerValue)
{
    Loaded loaded;
    loaded.settings = defaultSettings();
    ConfigTokenReader reader(storedText);
    if (reader.atEnd())
        return loaded;

    ViewerSettings& s = loaded.settings;
    s = ViewerSettings{};
    s.level = config_text::toInt(reader.next());
    s.deviceValue = config_text::toInt(reader.next());
    s.speedUnit = config_text::toInt(reader.next());
    if (s.speedUnit < 0 || s.speedUnit > 2)
        s.speedUnit = 0;
    s.passwordOn = config_text::toInt(reader.next()) != 0 ? 1 : 0;
    loaded.passwordGate = s.passwordOn;

    // The password field holds four characters and a NUL. Only the password panel writes it,
    // always four digits; a longer token is cut to its first four characters.
    const QByteArray password = reader.next().left(4);
    std::copy(password.begin(), password.end(), s.password);
    loaded.password = password;

    for (int skipped = 6; skipped <= 9; ++skipped)
        reader.next();

    loaded.directoryToken = setting_folders::readFolderTokens(reader, loaded.folders);
    loaded.foldersRead = true;
    s.ownerValue = ownerValue;
    return loaded;
}

Loaded load(int32_t ownerValue)
{
    const std::optional<QByteArray> value
        = platform::Registry::read(QLatin1String(kKey), QLatin1String(kValueName));
    if (!value || value->size() > kMaxTextSize)
        return parse({}, ownerValue);
    return parse(*value, ownerValue);
}

QByteArray format(
    int volume, const std::optional<PopupState>& popup, setting_folders::DroppedTexts* dropped)
{
    setting_folders::DroppedTexts drops;
    QByteArray text = recordPart(popup ? popup->record : ViewerSettings{}, volume);
    if (popup) {
        QByteArray folderPart
            = setting_folders::folderListText(popup->folders, popup->saveDirectory, &drops);
        if (text.size() + folderPart.size() + 1 > kMaxTextSize) {
            SettingFolders flagsOnly = popup->folders;
            flagsOnly.folders = {};
            folderPart = setting_folders::folderListText(flagsOnly, QString());
            for (int i = 0; i < 2; ++i)
                drops.folders[i] = !popup->folders.folders[i].isEmpty();
            drops.directory = !popup->saveDirectory.isEmpty();
        }
        text += folderPart;
    }
    text += '?';
    if (dropped)
        *dropped = drops;
    return text;
}

bool save(
    int volume, const std::optional<PopupState>& popup, setting_folders::DroppedTexts* dropped)
{
    return platform::Registry::write(
        QLatin1String(kKey), QLatin1String(kValueName), format(volume, popup, dropped));
}

} // namespace viewer_config
