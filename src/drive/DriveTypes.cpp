#include "drive/DriveTypes.h"

namespace drive {

QString eventKindName(EventKind kind)
{
    switch (kind) {
    case EventKind::Camera:
        return QStringLiteral("camera");
    case EventKind::Braking:
        return QStringLiteral("braking");
    case EventKind::Acceleration:
        return QStringLiteral("acceleration");
    case EventKind::Impact:
        return QStringLiteral("impact");
    case EventKind::Turn:
        return QStringLiteral("turn");
    }
    return {};
}

QString strengthUnit(EventKind kind)
{
    switch (kind) {
    case EventKind::Camera:
        return {};
    case EventKind::Turn:
        return QStringLiteral("deg/s");
    default:
        return QStringLiteral("g");
    }
}

} // namespace drive
