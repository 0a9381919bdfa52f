#include "platform/Registry.h"

#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace platform {

namespace {

// A key or value name becomes one file name, whatever text it holds: it can neither climb out
// of the product folder ("..", "/") nor meet another name's file ("a/b" and "a%2Fb" differ).
// Ordinary names are kept as they are.
QString fileName(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("%"); // the key's unnamed value; no other name encodes to "%"
    if (name == QLatin1String("."))
        return QStringLiteral("%2E");
    if (name == QLatin1String(".."))
        return QStringLiteral("%2E%2E");
    QString encoded;
    encoded.reserve(name.size());
    for (const QChar c : name) {
        if (c == QLatin1Char('%'))
            encoded += QLatin1String("%25");
        else if (c == QLatin1Char('/'))
            encoded += QLatin1String("%2F");
        else if (c == QChar(0))
            encoded += QLatin1String("%00");
        else
            encoded += c;
    }
    return encoded;
}

QString keyFolder(const QString& key)
{
    QString folder = Registry::fileRoot();
    for (const QString& level : key.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        folder += QLatin1Char('/') + fileName(level);
    return folder;
}

QString valuePath(const QString& key, const QString& valueName)
{
    return keyFolder(key) + QLatin1Char('/') + fileName(valueName);
}

} // namespace

QString Registry::fileRoot()
{
    QString root = qEnvironmentVariable("ZYN_REGISTRY_ROOT");
    if (root.isEmpty())
        root = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (root.isEmpty())
        root = QDir::homePath() + QLatin1String("/.config");
    return root + QLatin1String("/Velqorin/ZYN Viewer/01.00.01");
}

std::optional<QByteArray> Registry::read(const QString& key, const QString& valueName)
{
    QFile file(valuePath(key, valueName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool Registry::write(const QString& key, const QString& valueName, const QByteArray& bytes)
{
    if (!QDir().mkpath(keyFolder(key)))
        return false;
    return writeWholeFile(valuePath(key, valueName), bytes) == 0;
}

bool Registry::remove(const QString& key, const QString& valueName)
{
    QFile file(valuePath(key, valueName));
    return !file.exists() || file.remove();
}

} // namespace platform
