#include "platform/Volumes.h"

#include <QFile>
#include <QSet>

namespace platform {

namespace {

// "\040" and the like: the table writes blanks and backslashes of a path as octal escapes.
QString unescape(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QString::fromLocal8Bit(out);
}

bool holdsNoFiles(const QByteArray& type)
{
    static const QSet<QByteArray> kernel{"proc", "sysfs", "cgroup", "cgroup2", "devpts", "mqueue",
        "debugfs", "tracefs", "securityfs", "pstore", "bpf", "autofs", "fusectl", "configfs",
        "hugetlbfs", "binfmt_misc", "efivarfs", "nsfs", "rpc_pipefs", "devtmpfs"};
    return kernel.contains(type);
}

} // namespace

QStringList mountPoints()
{
    // mountinfo, not QStorageInfo: the latter leaves out tmpfs and the like, which a card
    // reader's test (and some desktops' removable mounts) use.
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    QStringList points;
    if (!table.open(QIODevice::ReadOnly))
        return points;
    for (const QByteArray& line : table.readAll().split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source options
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
            continue;
        if (holdsNoFiles(fields[dash + 1]))
            continue;
        points << unescape(fields[4]);
    }
    return points;
}

} // namespace platform
