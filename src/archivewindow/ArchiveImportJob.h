#pragma once

#include "archive/ArchiveImport.h"
#include "archivewindow/ArchiveLocation.h"
#include "drive/DriveTypes.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

namespace archivewin {

class ArchiveThread;

// A card's import into the archive on a worker thread of its own, while the viewer plays on:
// progress per recording and in bytes, Cancel between (and within) copies, and the report at
// the end. What was kept before a cancel stays kept.
class ArchiveImportJob : public QObject
{
    Q_OBJECT
public:
    ArchiveImportJob(const ArchiveLocation& location, const QStringList& folders,
        const QString& vehicle, const drive::DetectionThresholds& thresholds,
        QObject* parent = nullptr);
    // Cancels an import under way and waits for it: a recording half copied leaves only its
    // temporary file, which the next import removes.
    ~ArchiveImportJob() override;

    void start();
    void cancel();
    bool isRunning() const { return m_running; }

    // The message that closes an import: what was kept, skipped, kept beside another of the
    // same name, and what failed, by name.
    static QString reportText(const archive::ImportReport& report, const QString& openError);

signals:
    void progress(int index, int count, qint64 bytesDone, qint64 bytesTotal);
    // openError: the archive could not be opened, and nothing was done.
    void finished(const archive::ImportReport& report, const QString& openError);

private:
    QStringList m_folders;
    QString m_vehicle;
    drive::DetectionThresholds m_thresholds;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::unique_ptr<ArchiveThread> m_thread;
    bool m_running = false;
};

} // namespace archivewin
