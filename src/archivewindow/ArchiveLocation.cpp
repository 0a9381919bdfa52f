#include "archivewindow/ArchiveLocation.h"

#include "app/ViewerConfig.h"
#include "archive/Archive.h"
#include "platform/Registry.h"

#include <QStringList>

namespace archivewin {

ArchiveLocation parseLocation(const QString& text)
{
    ArchiveLocation location;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString name = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (name == QLatin1String("folder"))
            location.root = value;
        else if (name == QLatin1String("database"))
            location.database = value;
    }
    return location;
}

QString formatLocation(const ArchiveLocation& location)
{
    QString text;
    if (!location.root.isEmpty())
        text += QStringLiteral("folder=") + location.root + QLatin1Char('\n');
    if (!location.database.isEmpty())
        text += QStringLiteral("database=") + location.database + QLatin1Char('\n');
    return text;
}

ArchiveLocation storedLocation()
{
    const std::optional<QByteArray> stored = platform::Registry::read(
        QLatin1String(viewer_config::kKey), QLatin1String(kLocationValueName));
    ArchiveLocation location = parseLocation(stored ? QString::fromUtf8(*stored) : QString());
    if (location.root.isEmpty())
        location.root = archive::Archive::defaultRoot();
    return location;
}

} // namespace archivewin
