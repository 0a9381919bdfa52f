#pragma once

#include "archivewindow/ArchiveLocation.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>

#include <functional>
#include <memory>

namespace archive {
class Archive;
}

namespace archivewin {

// A worker thread holding its own connection to the archive (a database connection belongs to
// the thread that opened it). Jobs run there one after another, in the order given; each gets
// the archive, opened on first use, or null with the reason it would not open. A job reports
// back to the GUI thread through answer().
class ArchiveThread : public QObject
{
    Q_OBJECT
public:
    using Job = std::function<void(const archive::Archive* archive, const QString& openError)>;

    // openArchive false: a plain worker (thumbnails) whose jobs get no archive.
    explicit ArchiveThread(
        const ArchiveLocation& location, bool openArchive = true, QObject* parent = nullptr);
    // Waits for the job under way; the jobs still waiting are dropped.
    ~ArchiveThread() override;

    // needsArchive false: the job runs without the archive being opened (nor made) for it.
    void run(Job job, bool needsArchive = true);

    // Calls `then` on `receiver`'s thread, unless the receiver has gone meanwhile.
    template <typename Receiver, typename Then> static void answer(Receiver* receiver, Then then)
    {
        QMetaObject::invokeMethod(receiver, std::move(then), Qt::QueuedConnection);
    }

    const ArchiveLocation& location() const { return m_location; }

private:
    const ArchiveLocation m_location;
    const bool m_openArchive;
    QThread m_thread;
    QObject* m_context = nullptr; // lives on m_thread; deleted there when it ends
    // Made, used and destroyed on m_thread only.
    std::shared_ptr<std::unique_ptr<archive::Archive>> m_archive;
    std::shared_ptr<QString> m_openError;
    std::shared_ptr<std::atomic<bool>> m_stopping;
};

} // namespace archivewin
