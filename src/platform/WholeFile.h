#pragma once

class QByteArray;
class QString;

namespace platform {

// Writes bytes to path through a temporary file that replaces the old one only once complete,
// so a full disk or a pulled card never leaves a cut or empty file in its place. Returns 0 on
// success, 1 when the file could not be created, 2 when the bytes could not all be written,
// 3 when the finished file could not replace the old one; on any failure the old file stays.
int writeWholeFile(const QString& path, const QByteArray& bytes);

} // namespace platform
