#include "archivewindow/ArchiveThread.h"

#include "archive/Archive.h"

#include <atomic>

namespace archivewin {

ArchiveThread::ArchiveThread(const ArchiveLocation& location, bool openArchive, QObject* parent)
    : QObject(parent)
    , m_location(location)
    , m_openArchive(openArchive)
    , m_context(new QObject)
    , m_archive(std::make_shared<std::unique_ptr<archive::Archive>>())
    , m_openError(std::make_shared<QString>())
    , m_stopping(std::make_shared<std::atomic<bool>>(false))
{
    m_thread.setObjectName(QStringLiteral("archive"));
    m_context->moveToThread(&m_thread);
    // The connection is closed on the thread that opened it, once its last job is done.
    auto archive = m_archive;
    connect(
        &m_thread, &QThread::finished, m_context, [archive] { archive->reset(); },
        Qt::DirectConnection);
    connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

ArchiveThread::~ArchiveThread()
{
    *m_stopping = true;
    m_thread.quit();
    m_thread.wait();
}

void ArchiveThread::run(Job job, bool needsArchive)
{
    auto archive = m_archive;
    auto error = m_openError;
    auto stopping = m_stopping;
    const ArchiveLocation location = m_location;
    const bool open = m_openArchive && needsArchive;
    QMetaObject::invokeMethod(
        m_context,
        [archive, error, stopping, location, open, job = std::move(job)] {
            if (*stopping)
                return;
            if (!open) {
                job(nullptr, QString());
                return;
            }
            if (!*archive) {
                auto opened = std::make_unique<archive::Archive>();
                QString why;
                if (opened->open(location.root, location.database, &why) == archive::Opened) {
                    *archive = std::move(opened);
                    error->clear();
                } else {
                    *error = why;
                }
            }
            job(archive->get(), *error);
        },
        Qt::QueuedConnection);
}

} // namespace archivewin
