#include "PlayerHarness.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>

namespace playertest {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

namespace {

    QByteArray box(const char* type, const QByteArray& contents)
    {
        QByteArray bytes;
        const quint32 size = 8 + contents.size();
        bytes.append(char(size >> 24))
            .append(char(size >> 16))
            .append(char(size >> 8))
            .append(char(size));
        bytes.append(type, 4);
        return bytes + contents;
    }

} // namespace

QString makeRecording(const QString& folder, const QString& name, int seconds, int timeRecords)
{
    const QString path = folder + QLatin1Char('/') + name;
    const QString duration = QString::number(seconds);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        {"-v", "error", "-y", "-f", "lavfi", "-i",
            "testsrc2=size=640x480:rate=25:duration=" + duration, "-f", "lavfi", "-i",
            "sine=frequency=440:duration=" + duration, "-c:v", "libx264", "-preset", "ultrafast",
            "-pix_fmt", "yuv420p", "-g", "25", "-c:a", "aac", "-shortest", path});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    if (timeRecords > 0) {
        QFile file(path);
        if (!file.open(QIODevice::Append))
            return {};
        const QByteArray time = box("TIME", QByteArray(4 * timeRecords, '\1'));
        const QByteArray gps = box("GPSI", QByteArray(128 * timeRecords, '\0'));
        const QByteArray sensor = box("SENS", QByteArray(12 * timeRecords, '\0'));
        file.write(box("udat", time + gps + sensor));
    }
    return path;
}

void CallbackLog::add(const Report& report)
{
    std::lock_guard lock(m_mutex);
    m_reports.push_back(report);
}

std::vector<Report> CallbackLog::all() const
{
    std::lock_guard lock(m_mutex);
    return m_reports;
}

std::vector<int> CallbackLog::codes() const
{
    std::lock_guard lock(m_mutex);
    std::vector<int> codes;
    for (const Report& report : m_reports)
        codes.push_back(report.code);
    return codes;
}

bool CallbackLog::has(int code) const
{
    return count(code) > 0;
}

int CallbackLog::count(int code) const
{
    std::lock_guard lock(m_mutex);
    return int(std::count_if(m_reports.begin(), m_reports.end(),
        [code](const Report& report) { return report.code == code; }));
}

bool CallbackLog::last(int code, Report& report) const
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(
        m_reports.rbegin(), m_reports.rend(), [code](const Report& r) { return r.code == code; });
    if (it == m_reports.rend())
        return false;
    report = *it;
    return true;
}

void CallbackLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_reports.clear();
}

} // namespace playertest
