#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {

// A key or value name may not climb out of the product folder, whatever text it holds.
QString safeComponent(QString part)
{
    part.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (part == QLatin1String(".") || part == QLatin1String(".."))
        part.replace(QLatin1Char('.'), QLatin1Char('_'));
    return part;
}

QString keyFolder(const QString& key)
{
    QString folder = Registry::fileRoot();
    for (const QString& level : key.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        folder += QLatin1Char('/') + safeComponent(level);
    return folder;
}

QString valuePath(const QString& key, const QString& valueName)
{
    return keyFolder(key) + QLatin1Char('/') + safeComponent(valueName);
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
    QSaveFile file(valuePath(key, valueName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false; // the previous value stays as it was
    return file.commit();
}

bool Registry::remove(const QString& key, const QString& valueName)
{
    QFile file(valuePath(key, valueName));
    return !file.exists() || file.remove();
}

} // namespace platform
