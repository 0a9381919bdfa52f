// Shows the map window in a stand-in main window, draws a recording's route and moves the
// marker along it as the panel timer would, and reports the resident memory of this process
// and of the browser's helper processes. Optionally saves a picture of the window.
//
//     zyn-map-memory [--updates N] [--interval MS] [--recordings N] [--tiles none|TEMPLATE]
//                    [--shot FILE.png] RECORDING
//
// --recordings makes the map window anew that many times, as playing that many recordings in a
// row does, so that memory held on by old windows would show.
#include "map/CGoogleMap.h"
#include "map/MapRoute.h"
#include "map/MapWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QTimer>

#include <unistd.h>

namespace {

// Kilobytes of one field ("Rss:", "Pss:") of a process's /proc smaps_rollup; 0 when it cannot
// be read. The proportional figure shares each page among the processes that map it, so the
// engine's libraries, mapped by every one of its processes, count once in a sum.
qint64 memoryKb(int pid, const char* field)
{
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Every process below `pid` (the browser's zygote and renderer processes).
QList<int> descendants(int pid)
{
    QMap<int, int> parents;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int child = entry.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // The command name may hold spaces: the parent follows the closing parenthesis.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        parents.insert(child, fields.value(1).toInt());
    }
    QList<int> found{pid};
    for (int i = 0; i < found.size(); ++i)
        for (auto it = parents.cbegin(); it != parents.cend(); ++it)
            if (it.value() == found[i])
                found << it.key();
    found.removeFirst();
    return found;
}

struct Sample
{
    qint64 ownRss = 0;
    qint64 helpersRss = 0;
    qint64 ownPss = 0;
    qint64 allPss = 0;

    void keepPeaks(const Sample& other)
    {
        ownRss = std::max(ownRss, other.ownRss);
        helpersRss = std::max(helpersRss, other.helpersRss);
        ownPss = std::max(ownPss, other.ownPss);
        allPss = std::max(allPss, other.allPss);
    }
};

Sample sample()
{
    Sample s;
    const int self = int(::getpid());
    s.ownRss = memoryKb(self, "Rss:");
    s.ownPss = memoryKb(self, "Pss:");
    s.allPss = s.ownPss;
    for (int pid : descendants(self)) {
        s.helpersRss += memoryKb(pid, "Rss:");
        s.allPss += memoryKb(pid, "Pss:");
    }
    return s;
}

// The main window's plain stand-in: its size and dark panel colour, and the map frame.
class StandIn : public QWidget
{
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(4, 0, 0));
        painter.setPen(QColor(150, 150, 150));
        painter.drawRect(MapWindow::kGeometry.adjusted(-1, -1, 0, 0));
    }
};

} // namespace

int main(int argc, char* argv[])
{
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({
        {"updates", "Marker moves before the end (default 600).", "n", "600"},
        {"interval", "Milliseconds between moves (default 100).", "ms", "100"},
        {"recordings", "Map windows made in turn (default 1).", "n", "1"},
        {"tiles", "Tile source: none (default) or a URL template.", "tiles", "none"},
        {"shot", "Save a picture of the window after the first moves.", "file"},
    });
    parser.addPositionalArgument(QStringLiteral("RECORDING"), QStringLiteral("Recording file."));
    parser.process(app);
    QTextStream out(stdout);
    if (parser.positionalArguments().size() != 1) {
        out << "usage: zyn-map-memory [options] RECORDING\n";
        return 2;
    }
    const mapview::Route route = mapview::routeOfRecording(parser.positionalArguments().first());
    if (route.isEmpty()) {
        out << "zyn-map-memory: the recording has no route\n";
        return 1;
    }

    StandIn window;
    window.setFixedSize(1020, 780);
    window.show();
    MapWindow map(nullptr, QString());
    map.setTileSource(parser.value(QStringLiteral("tiles")));
    if (map.writePage(&window) != 0)
        return 1;
    map.setRoute(route);

    const int updates = std::max(1, parser.value(QStringLiteral("updates")).toInt());
    const int perWindow
        = std::max(1, updates / std::max(1, parser.value(QStringLiteral("recordings")).toInt()));
    const QString shot = parser.value(QStringLiteral("shot"));
    const Sample before = sample();
    Sample peak;
    int moved = 0;
    QTimer tick;
    tick.setInterval(parser.value(QStringLiteral("interval")).toInt());
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const mapview::RoutePoint& point = route[moved % route.size()];
        map.updatePosition(point.latitude, point.longitude);
        ++moved;
        peak.keepPeaks(sample());
        if (!shot.isEmpty() && moved == std::min(updates, int(route.size() / 2) + 1))
            window.grab().save(shot);
        if (moved >= updates) {
            tick.stop();
            app.quit();
        } else if (moved % perWindow == 0) {
            // The next recording: a new window, moves again once its page is ready.
            tick.stop();
            map.showNew(&window);
        }
    });
    QObject::connect(&map, &MapWindow::pageReady, &tick, [&] { tick.start(); });
    map.showNew(&window);
    QTimer::singleShot(10 * 60 * 1000, &app, &QApplication::quit);
    app.exec();

    out << "route points: " << route.size() << ", marker moves: " << moved << '\n';
    out << "resident before the map window: " << before.ownRss / 1024 << " MB\n";
    out << "peak resident (RSS), viewer process: " << peak.ownRss / 1024 << " MB\n";
    out << "peak resident (RSS), browser helper processes: " << peak.helpersRss / 1024 << " MB\n";
    out << "peak proportional (PSS), viewer process: " << peak.ownPss / 1024 << " MB\n";
    out << "peak proportional (PSS), viewer and helpers together: " << peak.allPss / 1024
        << " MB\n";
    return moved >= updates ? 0 : 1;
}
