#include "CardGenerator.h"
#include "FfmpegEncoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimeZone>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    QTextStream(stderr) << "zyn-cardgen: " << message << Qt::endl;
    return 1;
}

bool readCount(const QCommandLineParser& parser, const QString& name, int low, int high, int* out)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < low || value > high)
        return false;
    *out = value;
    return true;
}

QDateTime readStart(const QString& text, int offsetSeconds)
{
    for (const QString& format : {QStringLiteral("yyyy-MM-dd HH:mm:ss"),
             QStringLiteral("yyyy-MM-ddTHH:mm:ss"), QStringLiteral("yyyyMMdd_HHmmss")}) {
        const QDateTime wall = QDateTime::fromString(text, format);
        if (wall.isValid())
            return QDateTime(wall.date(), wall.time(), QTimeZone(offsetSeconds));
    }
    return {};
}

// "12,40,95": seconds of the drive, each below `total`.
bool readSeconds(const QCommandLineParser& parser, const QString& name, int total, QList<int>* out)
{
    if (!parser.isSet(name))
        return true;
    for (const QString& part : parser.value(name).split(QLatin1Char(','))) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (!ok || value < 0 || value >= total)
            return false;
        out->append(value);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zyn-cardgen"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes demo recordings into OUTDIR as a dashboard camera does: MP4 files of one "
        "continuing drive, each followed by its telemetry block (time, position sentence and "
        "G-sensor per second) and, for event recordings, an event index."));
    parser.addHelpOption();
    parser.addOptions({
        {{"l", "length"}, "Seconds per recording (1 to 600, default 60).", "seconds"},
        {{"c", "codec"}, "Video codec: h264 (default), mpeg4 or mjpeg.", "codec"},
        {"drf", "Number of continuous (drf_) recordings (default 2).", "n"},
        {"evt", "Number of sensor event (evt_) recordings (default 2).", "n"},
        {"muevt", "Number of manual event (muevt_) recordings (default 1).", "n"},
        {"plain", "Extra drf_ recordings without telemetry, written last (default 0).", "n"},
        {{"s", "start"},
            "Wall-clock start of the first recording, \"YYYY-MM-DD HH:MM:SS\" "
            "(default 2025-06-14 14:23:37).",
            "datetime"},
        {"utc-offset", "Hours the recorder's clock is ahead of UTC (default 3).", "hours"},
        {"seed", "Seed of the simulated drive (default 1).", "n"},
        {{"f", "force"}, "Replace recordings of the same name in OUTDIR."},
        {{"j", "jobs"}, "Recordings encoded at once (1 to 16, default 2).", "n"},
        {"brake-at",
            "Hard braking at these seconds of the drive (counted from the first recording's "
            "start, comma-separated), beside those of the sensor event recordings.",
            "seconds"},
        {"impact-at", "A jolt as from a kerb strike at these seconds of the drive.", "seconds"},
        {"turn-at", "A swerve of 45 degrees a second over these seconds and the next.", "seconds"},
        {"no-sound", "Video only, as a camera with its microphone switched off writes."},
    });
    parser.addPositionalArgument(QStringLiteral("OUTDIR"), QStringLiteral("Folder to write to."));
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return fail(QStringLiteral("expected exactly one OUTDIR (see --help)"));

    CardGenerator::Options options;
    options.outDir = positional.first();
    int utcOffset = 3;
    int seed = int(options.seed);
    if (!readCount(parser, "length", 1, 600, &options.seconds))
        return fail(QStringLiteral("--length must be a whole number of seconds from 1 to 600"));
    if (!readCount(parser, "drf", 0, 100, &options.continuous)
        || !readCount(parser, "evt", 0, 100, &options.sensorEvents)
        || !readCount(parser, "muevt", 0, 100, &options.manualEvents)
        || !readCount(parser, "plain", 0, 100, &options.withoutTelemetry))
        return fail(QStringLiteral("--drf, --evt, --muevt and --plain take 0 to 100"));
    if (!readCount(parser, "jobs", 1, 16, &options.jobs))
        return fail(QStringLiteral("--jobs takes 1 to 16"));
    if (!readCount(parser, "utc-offset", -12, 14, &utcOffset))
        return fail(QStringLiteral("--utc-offset takes whole hours from -12 to 14"));
    if (!readCount(parser, "seed", 0, 0x7fffffff, &seed))
        return fail(QStringLiteral("--seed takes a non-negative whole number"));
    options.seed = std::uint32_t(seed);
    if (parser.isSet("codec"))
        options.codec = parser.value("codec");
    if (!FfmpegEncoder::codecs().contains(options.codec))
        return fail(
            QStringLiteral("unknown codec \"%1\" (h264, mpeg4 or mjpeg)").arg(options.codec));
    const QDateTime defaultStart = CardGenerator::defaultStart();
    options.start = parser.isSet("start")
        ? readStart(parser.value("start"), utcOffset * 3600)
        : QDateTime(defaultStart.date(), defaultStart.time(), QTimeZone(utcOffset * 3600));
    if (!options.start.isValid())
        return fail(QStringLiteral("--start must look like \"2025-06-14 14:23:37\""));
    options.overwrite = parser.isSet("force");
    options.sound = !parser.isSet("no-sound");
    if (options.continuous + options.sensorEvents + options.manualEvents + options.withoutTelemetry
        == 0)
        return fail(QStringLiteral("nothing to write: every count is 0"));

    const int total
        = options.seconds * (options.continuous + options.sensorEvents + options.manualEvents);
    if (!readSeconds(parser, "brake-at", total, &options.brakes)
        || !readSeconds(parser, "impact-at", total, &options.impacts)
        || !readSeconds(parser, "turn-at", total, &options.sharpTurns))
        return fail(QStringLiteral(
            "--brake-at, --impact-at and --turn-at take seconds of the recordings with "
            "telemetry, from 0 to %1, separated by commas")
                        .arg(total - 1));

    const QString ffmpeg = FfmpegEncoder::findProgram();
    if (ffmpeg.isEmpty())
        return fail(QStringLiteral("ffmpeg not found on PATH (install the ffmpeg package)"));

    QTextStream out(stdout);
    QString error;
    CardGenerator generator(options);
    if (generator.run(ffmpeg, out, &error) != 0)
        return fail(error);
    return 0;
}
