#include "archivewindow/CardWatcher.h"

#include "archive/ArchiveImport.h"
#include "archivewindow/ArchiveThread.h"
#include "platform/Volumes.h"

#include <QDir>
#include <QTimer>

namespace archivewin {

CardWatcher::CardWatcher(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
    , m_thread(std::make_unique<ArchiveThread>(ArchiveLocation(), false))
{
    m_timer->setInterval(kPeriodMs);
    connect(m_timer, &QTimer::timeout, this, &CardWatcher::poll);
}

CardWatcher::~CardWatcher() = default;

void CardWatcher::start()
{
    if (m_timer->isActive())
        return;
    m_timer->start();
    poll();
}

QString CardWatcher::cardFolder(const QString& mountPoint)
{
    QStringList level{mountPoint};
    for (int depth = 0; depth <= 2 && !level.isEmpty(); ++depth) {
        QStringList below;
        for (const QString& folder : level) {
            if (!archive::cardRecordings(folder).isEmpty())
                return folder;
            const QDir dir(folder);
            for (const QString& name :
                dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name))
                below << dir.filePath(name);
        }
        level = below;
    }
    return {};
}

void CardWatcher::poll()
{
    if (m_polling)
        return;
    m_polling = true;
    const QSet<QString> known = m_known;
    const bool first = !m_started;
    m_thread->run([this, known, first](const archive::Archive*, const QString&) {
        const QStringList points = platform::mountPoints();
        QStringList cards;
        if (!first) {
            for (const QString& point : points) {
                if (!known.contains(point))
                    cards << cardFolder(point);
            }
        }
        ArchiveThread::answer(this, [this, points, cards] {
            m_polling = false;
            m_started = true;
            m_known = QSet<QString>(points.begin(), points.end());
            for (const QString& card : cards) {
                if (!card.isEmpty())
                    emit cardMounted(card);
            }
        });
    });
}

} // namespace archivewin
