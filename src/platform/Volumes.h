#pragma once

#include <QStringList>

// The file systems mounted now, as the desktop mounts a card put in while a program runs.
namespace platform {

// The mount points of file systems that may hold files (kernel and pseudo file systems left
// out), in the system's order.
QStringList mountPoints();

} // namespace platform
