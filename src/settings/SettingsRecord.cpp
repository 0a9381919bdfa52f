#include "settings/SettingsRecord.h"

#include "settings/RecorderSettingsFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

void SettingsRecord::setRecord(const ViewerSettings& record)
{
    m_handedBack = record;
    m_handedBack.tailByte1 = viewer_settings::kTailByte1;
    m_handedBack.tailByte2 = viewer_settings::kTailByte2;
    m_working = m_handedBack;
    m_levelPosition = viewer_settings::positionFromLevel(m_working.level);
}

ViewerSettings SettingsRecord::getRecord()
{
    m_handedBack = m_working;
    return m_handedBack;
}

void SettingsRecord::dragLevelTo(int x)
{
    // Computed in 64 bits: x comes from the mouse and may lie anywhere on or off the screen.
    const long long position = std::clamp(static_cast<long long>(x) - 37, 0LL,
        static_cast<long long>(viewer_settings::kLevelPositionMax));
    m_levelPosition = static_cast<int>(position);
    m_working.level = viewer_settings::levelFromPosition(m_levelPosition);
}

void SettingsRecord::recomputeLevel()
{
    m_working.level = viewer_settings::levelFromPosition(m_levelPosition);
}

bool SettingsRecord::applyPasswordResult(int number, int confirmed)
{
    if (confirmed == 0) {
        m_working.passwordOn = 0;
        return number != 0;
    }
    // The panel sends 0 to 9999. Anything else is reduced to its last four digits, so the text
    // is always exactly four digits and can never run past the five-byte field.
    const long long n = std::llabs(static_cast<long long>(number)) % 10000;
    const int digits[4] = {int(n / 1000), int(n % 1000 / 100), int(n % 100 / 10), int(n % 10)};
    for (int i = 0; i < 4; ++i)
        m_working.password[i] = char('0' + digits[i]);
    m_working.password[4] = '\0';
    return false;
}

int SettingsRecord::writeDeviceFile(const QString& saveDirectory)
{
    recomputeLevel();
    std::memset(m_working.deviceText, 0, sizeof m_working.deviceText);
    m_working.deviceText[0] = '0';
    m_handedBack = m_working;
    return recorder_settings_file::write(saveDirectory, m_working);
}
