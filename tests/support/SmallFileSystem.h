#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace testsupport {

// While it lives, a tmpfs of a few kilobytes is mounted on a folder of its own: a file system
// that really runs out of room, so that a write fails with "no space left on device" as on a
// full disk (FullCard only caps the size of each file). Mounting takes the superuser, as the
// tests run; mounted() says whether it worked.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(int kilobytes)
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = m_folder.isValid()
            && ::mount("tmpfs", where().constData(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                   options.constData())
                == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(where().constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_folder.path(); }

    // Takes the room that is left with one file, so that the next write finds none. Removing
    // the file gives the room back.
    bool fill() const
    {
        QFile filler(fillerPath());
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(1024, 'f');
        while (filler.write(block) > 0) { }
        return filler.error() == QFileDevice::ResourceError; // "no space left on device"
    }
    bool unfill() const { return QFile::remove(fillerPath()); }

private:
    QByteArray where() const { return QFile::encodeName(m_folder.path()); }
    QString fillerPath() const { return m_folder.path() + QLatin1String("/filler"); }

    QTemporaryDir m_folder;
    bool m_mounted = false;
};

} // namespace testsupport
