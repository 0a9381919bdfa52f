#include "ArchiveCommands.h"

#include "archive/Archive.h"
#include "drive/DriveTypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

const char kUsage[]
    = "Usage: zyn-archive [--archive DIR] [--db postgresql://...] COMMAND [OPTIONS]\n"
      "\n"
      "Keeps a dashboard camera's recordings safe from the card's loop and finds any moment\n"
      "in them again, by place, time or event.\n"
      "\n"
      "Commands:\n"
      "  import [--vehicle NAME] [THRESHOLDS] CARD_FOLDER...\n"
      "      Copies the recordings the archive lacks into VEHICLE/YYYY/MM/DD/, each read back\n"
      "      and checked against the card's SHA-256 before it is named, and indexes them:\n"
      "      the recording, its track, the drives and their events. The card is only read.\n"
      "      A recording already there is skipped; another of the same name is kept beside\n"
      "      it. Progress goes to standard error, the archive's path of each to standard\n"
      "      output.\n"
      "  find [FILTERS] [--json]\n"
      "      The moments that match, one line each: vehicle, time, recording, second,\n"
      "      position, speed, what matched. Near a place, one moment per pass (its closest\n"
      "      second).\n"
      "  drives [--from T] [--to T] [--utc] [--vehicle NAME] [--json]\n"
      "      The drives, with the camera clock's offset from the satellites' time.\n"
      "  check\n"
      "      Every file against the size and SHA-256 it was imported with.\n"
      "  clip [FILTERS] -o FOLDER\n"
      "      Each moment found, from 15 s before to 15 s after it, as zyn-clip writes it.\n"
      "\n"
      "Filters (find, clip):\n"
      "  --near LAT,LON     Within --radius METRES (default 100) of this place.\n"
      "  --from T, --to T   \"YYYY-MM-DD HH:MM:SS\" (or a date), by the camera's clock.\n"
      "  --utc              --from and --to are the satellites' UTC instead.\n"
      "  --kind K           camera, braking, acceleration, impact or turn (repeatable).\n"
      "  --vehicle NAME     Only this vehicle.\n"
      "  --min-speed KMH    At this speed or faster.\n"
      "\n"
      "  --archive DIR  The archive folder (default: ~/.local/share/Velqorin/ZYN Viewer/archive).\n"
      "  --db URL       The index in PostgreSQL (postgresql://user@host:port/name) instead of\n"
      "                 the SQLite file in the folder: for several PCs sharing one folder.\n"
      "  THRESHOLDS     --brake-kmh, --brake-g, --accel-kmh, --accel-g, --impact-g,\n"
      "                 --turn-dps, --turn-min-kmh, as zyn-telemetry takes them.\n"
      "\n"
      "Exit status: 0 done, 1 a recording could not be read, a check found a problem or the\n"
      "command line is wrong, 2 a write failed, the index could not be opened or the work was\n"
      "interrupted.\n";

std::atomic<bool> g_interrupted{false};

void onInterrupt(int)
{
    g_interrupted = true;
}

bool readCoordinates(const QString& text, archive::Query& query)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return false;
    bool okLat = false, okLon = false;
    const double lat = parts[0].trimmed().toDouble(&okLat);
    const double lon = parts[1].trimmed().toDouble(&okLon);
    if (!okLat || !okLon || std::abs(lat) > 90 || std::abs(lon) > 180)
        return false;
    query.latitude = lat;
    query.longitude = lon;
    return true;
}

// 0 to go on, else the exit status.
int parse(const QStringList& args, QString& command, archivetool::Options& o, QTextStream& errors,
    bool& help)
{
    const QStringList kinds{QStringLiteral("camera"), QStringLiteral("braking"),
        QStringLiteral("acceleration"), QStringLiteral("impact"), QStringLiteral("turn")};
    const QStringList thresholdNames = drive::thresholdNames();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString value;
        auto take = [&]() {
            if (i + 1 >= args.size()) {
                errors << "zyn-archive: " << a << " needs a value (see --help)\n";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto bad = [&](const char* what) {
            errors << "zyn-archive: " << a << ' ' << what << '\n';
            return 1;
        };
        bool ok = true;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
            return 0;
        } else if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--utc")) {
            o.query.timeBase = archive::TimeBase::Utc;
        } else if (!a.startsWith(QLatin1Char('-')) || a.size() == 1) {
            if (command.isEmpty())
                command = a;
            else
                o.inputs << a;
        } else if (!take()) {
            return 1;
        } else if (a == QLatin1String("--archive")) {
            o.root = value;
        } else if (a == QLatin1String("--db")) {
            o.database = value;
        } else if (a == QLatin1String("--vehicle")) {
            o.vehicle = o.query.vehicle = value;
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            o.output = value;
        } else if (a == QLatin1String("--near")) {
            if (!readCoordinates(value, o.query))
                return bad("takes LAT,LON in decimal degrees, such as 55.7558,37.6173");
        } else if (a == QLatin1String("--radius")) {
            o.query.radiusMetres = value.toDouble(&ok);
            if (!ok || !(o.query.radiusMetres > 0) || o.query.radiusMetres > 1e6)
                return bad("takes metres above 0");
        } else if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            const std::optional<qint64> t = archive::parseTime(value);
            if (!t)
                return bad("must look like \"2025-06-14 14:24:40\" or \"2025-06-14\"");
            (a == QLatin1String("--from") ? o.query.from : o.query.to) = t;
        } else if (a == QLatin1String("--kind")) {
            if (!kinds.contains(value))
                return bad("is camera, braking, acceleration, impact or turn");
            o.query.kinds << value;
        } else if (a == QLatin1String("--min-speed")) {
            o.query.minSpeedKmh = value.toDouble(&ok);
            if (!ok || *o.query.minSpeedKmh < 0)
                return bad("takes km/h");
        } else if (thresholdNames.contains(a.mid(2))) {
            if (!drive::setThreshold(o.thresholds, a.mid(2), value))
                return bad("takes a positive number");
        } else {
            errors << "zyn-archive: unknown option " << a << " (see --help)\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream errors(stderr);
    QString command;
    archivetool::Options options;
    bool help = false;
    if (const int status = parse(app.arguments().mid(1), command, options, errors, help);
        status != 0 || help) {
        if (help)
            std::fputs(kUsage, stdout);
        return status;
    }
    if (options.root.isEmpty())
        options.root = archive::Archive::defaultRoot();
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    int status = 1;
    if (command == QLatin1String("import")) {
        if (options.inputs.isEmpty()) {
            errors << "zyn-archive: import needs a card folder (see --help)\n";
            return 1;
        }
        status = archivetool::runImport(options, g_interrupted, out, errors);
    } else if (!options.inputs.isEmpty()) {
        errors << "zyn-archive: unexpected " << options.inputs.first() << " (see --help)\n";
        return 1;
    } else if (command == QLatin1String("find")) {
        status = archivetool::runFind(options, out, errors);
    } else if (command == QLatin1String("drives")) {
        status = archivetool::runDrives(options, out, errors);
    } else if (command == QLatin1String("check")) {
        status = archivetool::runCheck(options, g_interrupted, out, errors);
    } else if (command == QLatin1String("clip")) {
        if (options.output.isEmpty()) {
            errors << "zyn-archive: clip needs -o FOLDER\n";
            return 1;
        }
        status = archivetool::runClip(options, g_interrupted, out, errors);
    } else {
        errors << "zyn-archive: "
               << (command.isEmpty() ? QStringLiteral("no command")
                                     : QStringLiteral("unknown command ") + command)
               << " (see --help)\n";
        return 1;
    }
    out.flush();
    errors.flush();
    return status;
}
