#include "CardGenerator.h"

#include "DriveSimulator.h"
#include "FfmpegEncoder.h"
#include "recording/UdatWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimeZone>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int moscowOffsetSeconds = 3 * 3600;

QString kindLabel(const QString& prefix)
{
    if (prefix == QLatin1String("evt_"))
        return QStringLiteral("ZYN  EVENT");
    if (prefix == QLatin1String("muevt_"))
        return QStringLiteral("ZYN  MANUAL");
    return QStringLiteral("ZYN");
}

// Sensor events come early and late in a recording, as the recorder keeps some seconds before
// and after a jolt; a manual recording marks the moment the button was pressed, mid-file.
QList<int> eventSeconds(const QString& prefix, int seconds, std::uint32_t seed, int index)
{
    if (prefix == QLatin1String("drf_") || seconds < 2)
        return {};
    const int jitter = int((seed + 7u * std::uint32_t(index)) % 5) - 2;
    auto clampSecond = [seconds](int s) { return std::clamp(s, 1, seconds - 1); };
    if (prefix == QLatin1String("muevt_"))
        return {clampSecond(seconds / 2 + jitter)};
    QList<int> result = {clampSecond(seconds * 35 / 100 + jitter)};
    if (seconds >= 20)
        result.append(clampSecond(seconds * 75 / 100 - jitter));
    return result;
}

} // namespace

QDateTime CardGenerator::defaultStart()
{
    return QDateTime(QDate(2025, 6, 14), QTime(14, 23, 37), QTimeZone(moscowOffsetSeconds));
}

QList<CardGenerator::Recording> CardGenerator::plan(const Options& options)
{
    QList<QString> order;
    int counts[3] = {options.continuous, options.sensorEvents, options.manualEvents};
    const QString prefixes[3] = {"drf_", "evt_", "muevt_"};
    for (bool more = true; more;) {
        more = false;
        for (int kind = 0; kind < 3; ++kind) {
            if (counts[kind]-- > 0) {
                order.append(prefixes[kind]);
                more = true;
            }
        }
    }
    QList<Recording> recordings;
    for (int i = 0; i < order.size() + options.withoutTelemetry; ++i) {
        Recording r;
        r.prefix = i < order.size() ? order[i] : QStringLiteral("drf_");
        r.telemetry = i < order.size();
        r.firstSecond = i * options.seconds;
        r.start = options.start.addSecs(r.firstSecond);
        r.fileName = r.prefix + r.start.toString(QStringLiteral("yyyyMMdd_HHmmss")) + ".mp4";
        if (r.telemetry)
            r.eventSeconds = eventSeconds(r.prefix, options.seconds, options.seed, i);
        recordings.append(r);
    }
    return recordings;
}

CardGenerator::CardGenerator(const Options& options)
    : m_options(options)
{ }

int CardGenerator::run(const QString& ffmpeg, QTextStream& progress, QString* error)
{
    const QList<Recording> recordings = plan(m_options);
    QDir dir(m_options.outDir);
    if (!QDir().mkpath(m_options.outDir) || !QTemporaryFile(dir.filePath(".probe-XXXXXX")).open()) {
        *error = QStringLiteral("cannot write to %1").arg(m_options.outDir);
        return 3;
    }
    for (const Recording& r : recordings) {
        if (!m_options.overwrite && QFileInfo::exists(dir.filePath(r.fileName))) {
            *error = QStringLiteral("%1 exists already (use --force to replace it)")
                         .arg(dir.filePath(r.fileName));
            return 4;
        }
    }

    const QList<DriveSecond> drive = simulateDrive(recordings);
    const FfmpegEncoder encoder(ffmpeg);
    // ffmpeg's filter chain runs mostly on one core, so two encodes at once use both.
    std::atomic<int> next{0};
    std::atomic<int> result{0};
    std::mutex reporting;
    auto worker = [&] {
        for (int i = next++; i < recordings.size() && result == 0; i = next++) {
            QString reason;
            const int code = writeRecording(recordings[i], i, drive, encoder, &reason);
            const std::lock_guard<std::mutex> lock(reporting);
            if (code == 0) {
                progress << dir.filePath(recordings[i].fileName) << Qt::endl;
            } else if (result == 0) {
                result = code;
                *error = reason;
            }
        }
    };
    std::vector<std::thread> workers;
    for (int n = 0; n < std::max(1, m_options.jobs); ++n)
        workers.emplace_back(worker);
    for (std::thread& thread : workers)
        thread.join();
    return result;
}

QList<DriveSecond> CardGenerator::simulateDrive(const QList<Recording>& recordings) const
{
    DriveSimulator::Plan plan;
    plan.startUtc = m_options.start.toUTC();
    plan.seed = m_options.seed;
    for (const Recording& r : recordings) {
        if (!r.telemetry)
            continue;
        plan.seconds = r.firstSecond + m_options.seconds;
        for (int s : r.eventSeconds)
            plan.hardBrakes.insert(r.firstSecond + s);
    }
    for (int s : m_options.brakes)
        plan.hardBrakes.insert(s);
    for (int s : m_options.impacts)
        plan.impacts.insert(s);
    for (int s : m_options.sharpTurns)
        plan.sharpTurns.insert(s);
    // One stretch without a fix, as under a bridge, about a third of the way into the drive.
    plan.noFixFrom = plan.seconds * 3 / 10;
    plan.noFixLength = std::clamp(plan.seconds / 12, 1, 8);
    return DriveSimulator::simulate(plan);
}

// Encodes under a hidden partial name and renames only a complete file, so a failure never
// leaves a truncated recording where a viewer would list it.
int CardGenerator::writeRecording(const Recording& r, int index, const QList<DriveSecond>& drive,
    const FfmpegEncoder& encoder, QString* error) const
{
    const QDir dir(m_options.outDir);
    const QString target = dir.filePath(r.fileName);
    const QString partial = dir.filePath("." + r.fileName + ".part");
    FfmpegEncoder::Job job;
    job.output = partial;
    job.seconds = m_options.seconds;
    job.codec = m_options.codec;
    job.start = r.start;
    job.label = kindLabel(r.prefix);
    job.variant = int(m_options.seed % 97) + index;
    job.sound = m_options.sound;
    if (!encoder.encode(job, error)) {
        QFile::remove(partial);
        return 5;
    }
    if (r.telemetry) {
        UdatWriter udat;
        for (int s = 0; s < m_options.seconds; ++s) {
            const DriveSecond& d = drive[r.firstSecond + s];
            udat.addRecord(std::uint32_t(d.fix.utc.toSecsSinceEpoch()), nmea::rmcSentence(d.fix),
                d.x, d.y, d.z);
        }
        QList<QDateTime> moments;
        for (int s : r.eventSeconds)
            moments.append(r.start.addSecs(s));
        const QByteArray events = moments.isEmpty() ? QByteArray() : UdatWriter::eventBox(moments);
        if (UdatWriter::appendToFile(partial, udat.udatBox(), events) != 0) {
            *error = QStringLiteral("cannot append telemetry to %1").arg(partial);
            QFile::remove(partial);
            return 6;
        }
    }
    if ((m_options.overwrite && QFileInfo::exists(target) && !QFile::remove(target))
        || !QFile::rename(partial, target)) {
        *error = QStringLiteral("cannot rename %1 to %2").arg(partial, target);
        QFile::remove(partial);
        return 6;
    }
    return 0;
}
