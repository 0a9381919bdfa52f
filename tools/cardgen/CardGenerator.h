#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>

class FfmpegEncoder;
class QTextStream;
struct DriveSecond;

// Writes a memory card's worth of recordings that continue one drive: continuous ("drf_"),
// sensor event ("evt_") and manual event ("muevt_") files in turn, each starting where the
// previous one ended, optionally followed by continuous files without telemetry.
class CardGenerator
{
public:
    struct Options
    {
        QString outDir;
        int seconds = 60;
        QString codec = QStringLiteral("h264");
        int continuous = 2;
        int sensorEvents = 2;
        int manualEvents = 1;
        int withoutTelemetry = 0;
        QDateTime start; // the recorder's wall clock, with its zone's offset
        std::uint32_t seed = 1;
        bool overwrite = false;
        int jobs = 2; // encodes at once
        // Incidents at known seconds of the drive (from the first recording's start), so that
        // what finds them can be checked: hard braking, a jolt as from a kerb, a swerve.
        QList<int> brakes;
        QList<int> impacts;
        QList<int> sharpTurns;
        bool sound = true;
    };

    struct Recording
    {
        QString fileName;
        QString prefix; // "drf_", "evt_" or "muevt_"
        QDateTime start;
        int firstSecond = 0; // of the drive
        bool telemetry = true;
        QList<int> eventSeconds; // within the recording
    };

    static QDateTime defaultStart();
    static QList<Recording> plan(const Options& options);

    explicit CardGenerator(const Options& options);

    // Returns 0 on success; otherwise `error` holds a one-line reason and nothing half-written
    // is left under a recording's name.
    int run(const QString& ffmpeg, QTextStream& progress, QString* error);

private:
    QList<DriveSecond> simulateDrive(const QList<Recording>& recordings) const;
    int writeRecording(const Recording& r, int index, const QList<DriveSecond>& drive,
        const FfmpegEncoder& encoder, QString* error) const;

    Options m_options;
};
