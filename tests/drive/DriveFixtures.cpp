#include "DriveFixtures.h"

#include "DriveSimulator.h"
#include "recording/UdatWriter.h"
#include "support/RecordingBuilder.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cmath>

namespace drivefixtures {

QString writeRecording(const QString& folder, const QString& prefix, const QDateTime& driveStart,
    const QList<DriveSecond>& drive, int from, int count, const QList<int>& eventSeconds)
{
    const QDateTime start = driveStart.addSecs(from);
    const QString path = QDir(folder).filePath(
        prefix + start.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".mp4"));
    UdatWriter udat;
    for (int s = from; s < from + count; ++s) {
        const DriveSecond& d = drive[s];
        udat.addRecord(
            std::uint32_t(d.fix.utc.toSecsSinceEpoch()), nmea::rmcSentence(d.fix), d.x, d.y, d.z);
    }
    QList<QDateTime> moments;
    for (int s : eventSeconds)
        moments.append(start.addSecs(s));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(testsupport::box("ftyp", QByteArray("isom\0\0\2\0", 8)));
    file.write(udat.udatBox());
    if (!moments.isEmpty())
        file.write(UdatWriter::eventBox(moments));
    return path;
}

QString writePlainRecording(const QString& folder, const QString& name, int seconds)
{
    QByteArray mvhd(100, '\0');
    const uint32_t timescale = 1000, duration = uint32_t(seconds) * 1000;
    for (int i = 0; i < 4; ++i) {
        mvhd[12 + i] = char(timescale >> (24 - 8 * i));
        mvhd[16 + i] = char(duration >> (24 - 8 * i));
    }
    const QString path = QDir(folder).filePath(name);
    testsupport::RecordingBuilder()
        .ftyp()
        .mdat(256)
        .raw(testsupport::box("moov", testsupport::box("mvhd", mvhd)))
        .writeTo(path);
    return path;
}

double independentMetres(double lat1, double lon1, double lat2, double lon2)
{
    auto unit = [](double lat, double lon) {
        const double a = lat * M_PI / 180, b = lon * M_PI / 180;
        return std::array<double, 3>{
            std::cos(a) * std::cos(b), std::cos(a) * std::sin(b), std::sin(a)};
    };
    const auto p = unit(lat1, lon1), q = unit(lat2, lon2);
    const double cx = p[1] * q[2] - p[2] * q[1], cy = p[2] * q[0] - p[0] * q[2],
                 cz = p[0] * q[1] - p[1] * q[0];
    const double dot = p[0] * q[0] + p[1] * q[1] + p[2] * q[2];
    return 6371008.8 * std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), dot);
}

double independentDistanceKm(const std::vector<Fix>& fixes)
{
    double metres = 0;
    int last = -1;
    for (int i = 0; i < int(fixes.size()); ++i) {
        if (!fixes[i].valid)
            continue;
        if (last >= 0) {
            const double step = independentMetres(
                fixes[last].latitude, fixes[last].longitude, fixes[i].latitude, fixes[i].longitude);
            if (step / (i - last) <= 300 / 3.6)
                metres += step;
        }
        last = i;
    }
    return metres / 1000;
}

} // namespace drivefixtures
