#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

class QTimer;

namespace archivewin {

class ArchiveThread;

// Notices a memory card put in while the viewer runs: a file system newly mounted (as the
// desktop mounts removable media) whose root, or a folder up to two levels below it, holds
// the camera's recordings. The mount table is read, and the new volume looked through, on a
// worker thread: a slow card or a hung network mount never holds up the window.
class CardWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 2000;

    explicit CardWatcher(QObject* parent = nullptr);
    ~CardWatcher() override;

    // The volumes mounted now are the known ones; only later ones are told.
    void start();

    // The folder of camera recordings on a volume, or empty: the root first, then its folders
    // (two levels deep), in name order.
    static QString cardFolder(const QString& mountPoint);

signals:
    void cardMounted(const QString& folder);

private:
    void poll();

    QTimer* m_timer = nullptr; // child of this object
    std::unique_ptr<ArchiveThread> m_thread;
    QSet<QString> m_known;
    bool m_started = false;
    bool m_polling = false;
};

} // namespace archivewin
