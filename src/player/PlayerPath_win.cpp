#include "player/PlayerPath.h"

#include "velqplayer/Protocol.h"

#include <QString>

namespace playerpath {

namespace {

    // MAX_PATH, in UTF-16 units with the terminating NUL: the longest path the system's file
    // dialogs and Explorer give a user.
    constexpr qsizetype kMaxPath = 260;

} // namespace

std::optional<std::string> forPlayer(const char* name)
{
    QString wide = QString::fromLocal8Bit(name ? name : "");
    if (wide.size() > kMaxPath - 1)
        return std::nullopt;
    wide.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QByteArray utf8 = wide.toUtf8();
    if (std::size_t(utf8.size()) > velq::kNameMax)
        return std::nullopt;
    return utf8.toStdString();
}

} // namespace playerpath
