// The archive window over a large archive (zyn_archive_bench builds one of 10,000 hours): how
// long it takes to open (the latest drive's month marked, its day's drives listed, its speed
// profile drawn), how long a search on the map answers with its pictures already cached, and
// how long the GUI thread, which paints the main window's video, is held up meanwhile.
// Goals: open under 300 ms, a search under 200 ms, the GUI thread never held a frame's time.
//
//   zyn_archivewindow_bench --archive DIR [--db postgresql://...] [--searches N]
//
// The archive holds telemetry only: the recordings a search finds get stand-in files and
// cached pictures before the search is measured, as if they had been searched before.

#include "archive/ArchiveQueries.h"
#include "archivewindow/ArchiveWindow.h"
#include "archivewindow/Thumbnails.h"
#include "map/MapPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs the event loop until the condition holds; false after `limitMs`.
bool waitFor(const std::function<bool()>& condition, int limitMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// The longest gap between the ticks of a 5 ms timer on the GUI thread: what a frame of the
// main window's video would have waited for.
class GuiStall : public QObject
{
public:
    GuiStall()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (m_clock.isValid())
                m_longest = std::max(m_longest, milliseconds(m_clock));
            m_clock.start();
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.invalidate();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_longest = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    archivewin::ArchiveLocation location;
    int searches = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--archive"))
            location.root = args[i + 1];
        else if (args[i] == QLatin1String("--db"))
            location.database = args[i + 1];
        else if (args[i] == QLatin1String("--searches"))
            searches = args[i + 1].toInt();
    }
    if (location.root.isEmpty()) {
        std::fprintf(stderr, "usage: zyn_archivewindow_bench --archive DIR [--db URL]\n");
        return 1;
    }
    QTemporaryDir page;
    const QString pagePath = mapview::writePage(page.path(), page.path());

    // Opening: from the window's making to the latest drive's profile drawn.
    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        archivewin::ArchiveWindow window(location, nullptr, pagePath, QStringLiteral("none"));
        window.show();
        if (!waitFor([&] { return window.pending() == 0 && window.shownDrive(); })) {
            std::fprintf(
                stderr, "the window showed no drive: %s\n", qPrintable(window.statusText()));
            return 1;
        }
        opens.push_back(milliseconds(clock));
    }
    std::printf("open (month marked, day listed, profile drawn): median %.0f ms, first %.0f ms\n",
        median(opens), opens.front());

    archivewin::ArchiveWindow window(location, nullptr, pagePath, QStringLiteral("none"));
    window.show();
    waitFor([&] { return window.pending() == 0 && window.shownDrive(); });
    const auto& track = window.shownDrive()->track;
    if (track.empty())
        return 1;
    // Places along the latest drive: every search finds at least that drive's pass.
    std::vector<archive::TrackPoint> places;
    for (int i = 0; i < searches; ++i)
        places.push_back(track[track.size() * size_t(i) / size_t(searches)]);

    // The pictures of what these searches find, cached beforehand.
    archivewin::ThumbnailCache cache;
    QImage picture(archivewin::kThumbnailSize, QImage::Format_RGB32);
    picture.fill(Qt::darkGray);
    size_t found = 0;
    for (const archive::TrackPoint& p : places) {
        window.search(p.latitude, p.longitude, 100);
        waitFor([&] { return window.pending() == 0; });
        for (const archive::Moment& m : window.found()) {
            if (!QFileInfo::exists(m.recording)) {
                QDir().mkpath(QFileInfo(m.recording).absolutePath());
                QFile stand(m.recording);
                stand.open(QIODevice::WriteOnly);
            }
            cache.store(m.recording, m.second, picture);
        }
    }

    GuiStall stall;
    // The same time without searching, for what the window and its map cost anyway.
    stall.start();
    waitFor([] { return false; }, 1000);
    const double idle = stall.stop();

    std::vector<double> times;
    stall.start();
    for (const archive::TrackPoint& p : places) {
        QElapsedTimer clock;
        clock.start();
        window.search(p.latitude, p.longitude, 100);
        waitFor([&] { return window.pending() == 0; });
        times.push_back(milliseconds(clock));
        found += window.found().size();
    }
    const double longest = stall.stop();
    std::printf("search within 100 m, pictures cached: median %.0f ms, slowest %.0f ms "
                "(%zu searches, %.1f passes each)\n",
        median(times), *std::max_element(times.begin(), times.end()), times.size(),
        double(found) / double(times.size()));
    std::printf("GUI thread while searching: longest stall %.1f ms (idle beside: %.1f ms)\n",
        longest, idle);
    return 0;
}
