#include "viewer/DriveIndex.h"

#include "app/ViewerConfig.h"
#include "drive/DriveAnalysis.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

namespace {

QString folderOf(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absolutePath());
}

QString cleanPath(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

drive::DetectionThresholds DriveIndex::storedThresholds()
{
    const std::optional<QByteArray> stored = platform::Registry::read(
        QLatin1String(viewer_config::kKey), QLatin1String(kThresholdsValueName));
    return drive::parseThresholds(stored ? QString::fromUtf8(*stored) : QString());
}

DriveIndex::DriveIndex(const drive::DetectionThresholds& thresholds, QObject* parent)
    : QObject(parent)
    , m_thresholds(thresholds)
{ }

DriveIndex::~DriveIndex()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void DriveIndex::request(const QString& recordingPath)
{
    if (recordingPath.isEmpty())
        return;
    const QString folder = folderOf(recordingPath);
    if (m_folders.count(folder) || folder == m_running
        || std::find(m_waiting.begin(), m_waiting.end(), folder) != m_waiting.end())
        return;
    m_waiting.push_back(folder);
    startNext();
}

void DriveIndex::startNext()
{
    if (!m_running.isEmpty() || m_waiting.empty())
        return;
    if (m_worker.joinable())
        m_worker.join(); // it has handed its result over already
    m_running = m_waiting.front();
    m_waiting.erase(m_waiting.begin());
    const QString folder = m_running;
    m_worker = std::thread([this, folder] {
        const drive::Analysis analysis
            = drive::analyseRecordings({folder}, m_thresholds, &m_cancel);
        if (analysis.cancelled)
            return;
        // Queued to this object's thread; dropped if the index has gone meanwhile (the
        // destructor joins this thread first, so `this` is alive while it posts).
        QMetaObject::invokeMethod(
            this, [this, folder, drives = analysis.drives] { onFolderDone(folder, drives); },
            Qt::QueuedConnection);
    });
}

void DriveIndex::onFolderDone(const QString& folder, const std::vector<drive::DriveSummary>& drives)
{
    m_folders[folder] = drives;
    m_running.clear();
    emit analysed();
    startNext();
}

const drive::DriveSummary* DriveIndex::driveOf(const QString& recordingPath) const
{
    const auto known = m_folders.find(folderOf(recordingPath));
    if (known == m_folders.end())
        return nullptr;
    for (const drive::DriveSummary& d : known->second) {
        if (indexIn(d, recordingPath) >= 0)
            return &d;
    }
    return nullptr;
}

bool DriveIndex::isKnown(const QString& recordingPath) const
{
    return !recordingPath.isEmpty() && m_folders.count(folderOf(recordingPath)) != 0;
}

bool DriveIndex::samePath(const QString& a, const QString& b)
{
    return cleanPath(a) == cleanPath(b);
}

int DriveIndex::indexIn(const drive::DriveSummary& drive, const QString& recordingPath)
{
    const QString wanted = cleanPath(recordingPath);
    for (int i = 0; i < drive.recordings.size(); ++i) {
        if (cleanPath(drive.recordings.at(i)) == wanted)
            return i;
    }
    return -1;
}
