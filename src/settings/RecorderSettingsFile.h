#pragma once

#include "settings/ViewerSettings.h"

#include <QByteArray>
#include <QString>

namespace recorder_settings_file {

inline constexpr int kSize = 35;
inline constexpr const char* kFileName = "kob_config.dat";

// The 35 bytes the recorder reads from its card.
QByteArray bytes(const ViewerSettings& record);

// The file's path: the directory text with the file name joined on without a separator (the
// directory text already ends in one; an empty text means the current directory).
QString path(const QString& saveDirectory);

// Writes the file through a temporary file that replaces the old one only once complete, so a
// full card or a pulled card never leaves a truncated file behind. Returns 0 on success, 1 when
// the file could not be created, 2 when the bytes could not be written, 3 when the finished
// file could not replace the old one.
int write(const QString& saveDirectory, const ViewerSettings& record);

} // namespace recorder_settings_file
