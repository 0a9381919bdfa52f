#include "resources/Skin.h"

#include <QHash>
#include <QIcon>
#include <QMutex>

namespace skin {

const QImage& bitmap(int id)
{
    static QMutex mutex;
    static QHash<int, QImage> cache;
    QMutexLocker lock(&mutex);
    auto it = cache.find(id);
    if (it == cache.end()) {
        QImage image(QStringLiteral(":/skin/%1.png").arg(id));
        if (!image.isNull())
            image = image.convertToFormat(QImage::Format_RGB32);
        it = cache.insert(id, image);
    }
    return *it;
}

QIcon appIcon()
{
    return QIcon(QStringLiteral(":/skin/128.png"));
}

const QList<Entry>& entries()
{
    static const QList<Entry> all = {
        {130, {1020, 780}},
    };
    return all;
}

} // namespace skin
