#include "platform/Volumes.h"

#include <QStorageInfo>

namespace platform {

QStringList mountPoints()
{
    QStringList points;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            points << volume.rootPath();
    }
    return points;
}

} // namespace platform
