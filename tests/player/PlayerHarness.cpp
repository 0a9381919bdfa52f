#include "PlayerHarness.h"

#include "support/MediaCache.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QByteArray emptyTelemetry(int records)
{
    const QByteArray time = box("TIME", QByteArray(4 * records, '\1'));
    const QByteArray gps = box("GPSI", QByteArray(128 * records, '\0'));
    const QByteArray sensor = box("SENS", QByteArray(12 * records, '\0'));
    return box("udat", time + gps + sensor);
}

namespace {

    QString cachedOutput(const QString& name, const QByteArray& key, const QStringList& arguments,
        const QString&, const QByteArray& tail = {})
    {
        return testsupport::cachedFfmpegOutput(
            QStringLiteral("zyn-player-tests"), name, key, arguments, tail, 60000);
    }

} // namespace

QString makeRecording(const QString& name, int seconds, const QByteArray& tail)
{
    const QString duration = QString::number(seconds);
    return cachedOutput(name, QByteArray::number(seconds) + tail,
        {"-v", "error", "-y", "-f", "lavfi", "-i",
            "testsrc2=size=640x480:rate=25:duration=" + duration, "-f", "lavfi", "-i",
            "sine=frequency=440:duration=" + duration, "-c:v", "libx264", "-preset", "ultrafast",
            "-pix_fmt", "yuv420p", "-g", "25", "-c:a", "aac", "-shortest"},
        QStringLiteral(".mp4"), tail);
}

QString ffmpegOutput(const QString& name, const QStringList& arguments)
{
    const QString suffix = QLatin1Char('.') + QFileInfo(name).suffix();
    return cachedOutput(name, arguments.join(QLatin1Char('\n')).toUtf8(),
        QStringList{"-v", "error", "-y"} + arguments, suffix);
}

QString makeMjpegStream(const QString& name, int seconds)
{
    const QString duration = QString::number(seconds);
    return cachedOutput(name, "mjpeg " + QByteArray::number(seconds),
        {"-v", "error", "-y", "-f", "lavfi", "-i",
            "testsrc2=size=640x480:rate=25:duration=" + duration, "-c:v", "mjpeg", "-q:v", "5",
            "-f", "mjpeg"},
        QStringLiteral(".mjpg"));
}

QByteArray withLargeVideoBox(const QByteArray& recording)
{
    const auto size32 = [&recording](qsizetype at) {
        return quint32(quint8(recording[at])) << 24 | quint32(quint8(recording[at + 1])) << 16
            | quint32(quint8(recording[at + 2])) << 8 | quint32(quint8(recording[at + 3]));
    };
    for (qsizetype at = 0; at + 16 <= recording.size();) {
        const quint32 size = size32(at);
        if (size < 8)
            return {};
        if (size == 8 && recording.mid(at + 4, 4) == "free"
            && recording.mid(at + 12, 4) == "mdat") {
            const quint64 large = quint64(size32(at + 8)) + 8;
            QByteArray header("\0\0\0\1mdat", 8);
            for (int shift = 56; shift >= 0; shift -= 8)
                header.append(char(large >> shift));
            QByteArray rewritten = recording;
            rewritten.replace(at, 16, header);
            return rewritten;
        }
        at += size;
    }
    return {};
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
