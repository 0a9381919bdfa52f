#pragma once

#include "drive/DriveTypes.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

// The drives of the folders that recordings are played from: a folder is analysed on a worker
// thread the first time one of its recordings is asked about, and its drives are kept for the
// rest of the session. The window ticks the events found in a recording's telemetry on the
// seek bar and jumps between the events of a drive from them. Lives and answers on the GUI
// thread; the worker sees nothing of it but the folder it reads and the flag that stops it.
class DriveIndex : public QObject
{
    Q_OBJECT
public:
    // The value under the viewer's configuration key that holds the detection thresholds, as
    // "name=value" pairs (see drive::parseThresholds); absent or garbled pairs keep defaults.
    static constexpr const char* kThresholdsValueName = "detection";
    static drive::DetectionThresholds storedThresholds();

    explicit DriveIndex(const drive::DetectionThresholds& thresholds, QObject* parent = nullptr);
    // Stops an analysis under way and waits for it.
    ~DriveIndex() override;

    // Starts the analysis of the recording's folder unless it is known or under way (one
    // folder at a time; a later request waits for the one before).
    void request(const QString& recordingPath);
    // The drive holding the recording, or nullptr while its folder is not analysed yet (or the
    // recording belongs to none).
    const drive::DriveSummary* driveOf(const QString& recordingPath) const;
    // Whether the recording's folder has been read (its drives, possibly none, are known).
    bool isKnown(const QString& recordingPath) const;
    static bool samePath(const QString& a, const QString& b);
    // The recording's index within that drive, or -1.
    static int indexIn(const drive::DriveSummary& drive, const QString& recordingPath);

signals:
    // A folder's drives are known: ticks may be drawn, jumps made.
    void analysed();

private:
    void startNext();
    void onFolderDone(const QString& folder, const std::vector<drive::DriveSummary>& drives);

    const drive::DetectionThresholds m_thresholds;
    std::map<QString, std::vector<drive::DriveSummary>> m_folders; // folder -> its drives
    std::vector<QString> m_waiting; // folders asked for, not yet started
    QString m_running; // the folder the worker reads, empty when none
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
};
