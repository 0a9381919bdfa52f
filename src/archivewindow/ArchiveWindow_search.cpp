// The map's search (a click with its radius, or typed coordinates), the list of passes with
// their pictures, and what a double-click or a click on the profile plays.
#include "archivewindow/ArchiveWindow.h"

#include "archive/ArchiveQueries.h"
#include "archivewindow/ArchiveMapView.h"
#include "archivewindow/ArchiveThread.h"
#include "archivewindow/Thumbnails.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSpinBox>

#include <cmath>
#include <cstdio>

namespace archivewin {

namespace {

// The passes a search lists at most: more would be a place every drive crosses, better asked
// with dates or a vehicle.
constexpr int kMaxFound = 500;

QString foundLine(const archive::Moment& m, int unit)
{
    const QString time = QDateTime::fromSecsSinceEpoch(m.cameraTime, Qt::UTC)
                             .toString(QStringLiteral("dd.MM.yy HH:mm:ss"));
    QString line = m.vehicle + QLatin1Char('\n') + time + QLatin1Char('\n')
        + SpeedProfile::speedText(m.speedKmh, unit);
    if (m.match != QLatin1String("pass"))
        line += QStringLiteral(", ") + kindText(m.match);
    return line;
}

} // namespace

std::optional<std::pair<double, double>> ArchiveWindow::parsePlace(const QString& text)
{
    // Two numbers; a decimal comma is taken when the numbers are parted by a semicolon or
    // spaces, as a Russian keyboard gives them.
    static const QRegularExpression pair(QStringLiteral(
        R"(^\s*([-+]?\d+(?:[.,]\d+)?)\s*(?:[;\s]|,\s)\s*([-+]?\d+(?:[.,]\d+)?)\s*$)"));
    const QRegularExpressionMatch match = pair.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool a = false, b = false;
    const double latitude
        = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&a);
    const double longitude
        = match.captured(2).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&b);
    if (!a || !b || std::fabs(latitude) > 90 || std::fabs(longitude) > 180)
        return std::nullopt;
    return std::make_pair(latitude, longitude);
}

bool ArchiveWindow::searchTyped(const QString& place, double radiusMetres)
{
    const auto at = parsePlace(place);
    if (!at) {
        setStatus(strings::kArchivePlaceInvalid);
        return false;
    }
    m_map->showSearch(at->first, at->second, radiusMetres);
    search(at->first, at->second, radiusMetres);
    return true;
}

void ArchiveWindow::search(double latitude, double longitude, double radiusMetres)
{
    m_place->setText(QStringLiteral("%1, %2").arg(
        QString::number(latitude, 'f', 6), QString::number(longitude, 'f', 6)));
    m_radius->setValue(int(std::lround(radiusMetres)));
    archive::Query query;
    query.latitude = latitude;
    query.longitude = longitude;
    query.radiusMetres = radiusMetres;
    query.vehicle = vehicle();
    query.kinds = eventKinds();
    if (const auto range = dateRange()) {
        query.from = range->first;
        query.to = range->second;
    }
    query.limit = kMaxFound;
    const int serial = ++m_searchSerial;
    m_searchSerialSeen = serial;
    m_foundTitle->setText(strings::kArchiveSearching);
    started();
    auto cache = m_cache;
    m_thread->run(
        [this, serial, query, cache](const archive::Archive* a, const QString& openError) {
            std::vector<archive::Moment> moments;
            std::vector<QImage> pictures;
            QString error = openError;
            if (a && archive::find(*a, query, &moments, &error)) {
                // Pictures made before come with the answer; the others follow, one by one.
                for (const archive::Moment& m : moments)
                    pictures.push_back(cache->cached(m.recording, m.second));
            }
            ArchiveThread::answer(this, [this, serial, moments, pictures, error] {
                onFound(serial, moments, pictures, error);
            });
        });
    // For the tests from outside, which compare the passes with zyn-archive's.
    std::printf("archive search: %.6f,%.6f %.0f m\n", latitude, longitude, radiusMetres);
    std::fflush(stdout);
}

void ArchiveWindow::onFound(int serial, const std::vector<archive::Moment>& moments,
    const std::vector<QImage>& pictures, const QString& error)
{
    finished();
    if (serial != m_searchSerial)
        return;
    m_found = moments;
    m_results->clear();
    std::vector<MapMark> marks;
    QPixmap blank(kThumbnailSize);
    blank.fill(QColor(20, 20, 20));
    for (size_t i = 0; i < moments.size(); ++i) {
        const archive::Moment& m = moments[i];
        auto* item = new QListWidgetItem(foundLine(m, m_speedUnit), m_results);
        item->setToolTip(
            QDir::toNativeSeparators(m.recording) + QStringLiteral(" (%1 s)").arg(m.second));
        const QImage& picture = i < pictures.size() ? pictures[i] : QImage();
        item->setIcon(picture.isNull() ? QIcon(blank) : QIcon(QPixmap::fromImage(picture)));
        if (m.hasPosition)
            marks.push_back({{m.latitude, m.longitude}, int(i),
                QDateTime::fromSecsSinceEpoch(m.cameraTime, Qt::UTC)
                    .toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                m.match});
    }
    m_map->showPasses(marks);
    if (!error.isEmpty()) {
        m_foundTitle->setText(QString());
        setStatus(QString(strings::kArchiveCannotOpen).arg(error));
        return;
    }
    m_foundTitle->setText(moments.empty() ? QString(strings::kArchiveNothingFound)
                                          : QString(strings::kArchiveFound).arg(moments.size()));
    std::printf("archive found: %d\n", int(moments.size()));
    for (const archive::Moment& m : moments)
        std::printf("archive pass: %s %d\n", m.recording.toLocal8Bit().constData(), m.second);
    std::fflush(stdout);
    requestPictures(serial);
}

void ArchiveWindow::requestPictures(int serial)
{
    auto cache = m_cache;
    for (int row = 0; row < int(m_found.size()); ++row) {
        const archive::Moment m = m_found[size_t(row)];
        const QListWidgetItem* item = m_results->item(row);
        if (!item || !cache->cached(m.recording, m.second).isNull())
            continue;
        started();
        m_pictures->run([this, serial, row, m, cache](const archive::Archive*, const QString&) {
            // A later search makes these pictures worthless: the thread moves on to its own.
            QImage picture;
            if (serial == m_searchSerialSeen.load())
                picture = cache->make(m.recording, m.second);
            ArchiveThread::answer(
                this, [this, serial, row, picture] { onPicture(serial, row, picture); });
        });
    }
}

void ArchiveWindow::onPicture(int serial, int row, const QImage& picture)
{
    finished();
    if (serial != m_searchSerial || picture.isNull())
        return;
    if (QListWidgetItem* item = m_results->item(row))
        item->setIcon(QIcon(QPixmap::fromImage(picture)));
}

void ArchiveWindow::onMarkChosen(const QString& what, int id)
{
    if (what == QLatin1String("pass") && id >= 0 && id < m_results->count())
        m_results->setCurrentRow(id);
}

void ArchiveWindow::onMapPlay(const QString& what, int id)
{
    if (what == QLatin1String("pass"))
        playFound(id);
    else if (what == QLatin1String("event"))
        playEvent(id);
}

void ArchiveWindow::playFound(int row)
{
    if (row < 0 || row >= int(m_found.size()))
        return;
    const archive::Moment& m = m_found[size_t(row)];
    playMoment(m.drive, m.recording, std::max(0, m.second - kLeadSeconds));
}

void ArchiveWindow::playDrive(int row)
{
    if (row < 0 || row >= int(m_dayDrives.size()))
        return;
    playMoment(m_dayDrives[size_t(row)].id, QString(), 0);
}

void ArchiveWindow::playEvent(int index)
{
    if (!m_shown || index < 0 || index >= int(m_shown->events.size()))
        return;
    const archive::EventRow& e = m_shown->events[size_t(index)];
    playMoment(m_shown->row.id, e.recording, std::max(0, e.second - kLeadSeconds));
}

void ArchiveWindow::onProfilePlay(const QString& recording, double second)
{
    // The profile's click is the second itself: the driver pointed at it.
    if (m_shown)
        emit playRequested(m_shown->recordings, recording, second);
}

void ArchiveWindow::playMoment(qint64 drive, const QString& recording, double second)
{
    if (m_shown && m_shown->row.id == drive) {
        emit playRequested(m_shown->recordings,
            recording.isEmpty() ? m_shown->recordings.value(0) : recording, second);
        return;
    }
    started();
    m_thread->run([this, drive, recording, second](const archive::Archive* a, const QString&) {
        QString error;
        const QStringList recordings
            = a ? archive::driveRecordings(*a, drive, &error) : QStringList();
        ArchiveThread::answer(this, [this, recordings, recording, second] {
            finished();
            const QString chosen = recording.isEmpty() ? recordings.value(0) : recording;
            if (!chosen.isEmpty())
                emit playRequested(
                    recordings.isEmpty() ? QStringList{chosen} : recordings, chosen, second);
        });
    });
}

} // namespace archivewin
