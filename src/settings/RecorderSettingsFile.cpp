#include "settings/RecorderSettingsFile.h"

#include "platform/WholeFile.h"

#include <algorithm>

namespace recorder_settings_file {

QByteArray bytes(const ViewerSettings& record)
{
    QByteArray out(kSize, '\0');
    out[0] = char(record.level & 0xFF);
    out[1] = char(record.deviceValue & 0xFF);
    out[2] = char(record.speedUnit & 0xFF);
    out[3] = char(record.passwordOn & 0xFF);
    if (record.passwordOn != 0) {
        const std::size_t n
            = std::min<std::size_t>(viewer_settings::fieldLength(record.password), 4);
        std::copy_n(record.password, n, out.begin() + 4);
    }
    // The device text ends at its NUL or at the field's end, whichever comes first, so a text
    // that fills all 24 bytes is carried without reading past the field.
    std::copy_n(
        record.deviceText, viewer_settings::fieldLength(record.deviceText), out.begin() + 9);
    out[33] = char(viewer_settings::kTailByte1);
    out[34] = char(viewer_settings::kTailByte2);
    return out;
}

QString path(const QString& saveDirectory)
{
    return saveDirectory + QLatin1String(kFileName);
}

int write(const QString& saveDirectory, const ViewerSettings& record)
{
    return platform::writeWholeFile(path(saveDirectory), bytes(record));
}

} // namespace recorder_settings_file
