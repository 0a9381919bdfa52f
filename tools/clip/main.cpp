#include "clip/ClipExport.h"
#include "clip/ClipSpan.h"
#include "overlay/OverlayVideo.h"
#include "recording/CardFiles.h"
#include "recording/RecordingName.h"

#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char kUsage[]
    = "Usage: zyn-clip [--from \"YYYY-MM-DD HH:MM:SS\"] [--to \"YYYY-MM-DD HH:MM:SS\"] [--event]\n"
      "                [--gpx] [--csv] [--overlay [--unit kmh|mph|knots]] [-o FOLDER]\n"
      "                RECORDING... | FOLDER\n"
      "\n"
      "Cuts a clip out of dashboard-camera recordings without re-encoding: every frame is the\n"
      "camera's own, the clip starts and ends at the given seconds, and it continues across\n"
      "the camera's files when the next recording of the same folder starts where one ends.\n"
      "The clip carries the telemetry and event markers of its span, so the viewer and\n"
      "zyn-telemetry read it like a camera recording; a checksum list beside it\n"
      "(\"<clip>.sha256\", checked with \"sha256sum -c\") covers the recordings used and every\n"
      "file written.\n"
      "\n"
      "  --from TIME  First second of the span, by the camera's clock (the names' times);\n"
      "               default: the start of the first recording given.\n"
      "  --to TIME    The second the span ends at (not included); default: the end of the\n"
      "               last recording given.\n"
      "  --event      One clip around each event marker of the event recordings given, from\n"
      "               15 s before to 15 s after it (overlapping spans make one clip).\n"
      "  --gpx        Also the span's track as GPX (the format of zyn-telemetry --gpx).\n"
      "  --csv        Also the span's telemetry as CSV (the format of zyn-telemetry --csv).\n"
      "  --overlay    Also \"<clip>_overlay.mp4\": the clip as an ordinary H.264 video with a\n"
      "               band under the picture showing the time, speed, heading, position,\n"
      "               G-sensor values and event marks, for players that know nothing of the\n"
      "               telemetry. It is encoded, so it is not bit-identical; the clip is.\n"
      "  --unit U     The band's speed unit: kmh (default), mph or knots.\n"
      "  -o FOLDER    Where to write (default: the current folder). Nothing is ever written\n"
      "               over an existing file: a taken name gets -2, -3 ...\n"
      "  --help       This text.\n"
      "\n"
      "Clips are named after the camera's pattern with their own start time, for example\n"
      "clip_evt_20250614_142440.mp4. Recordings with other stream parameters (codec, picture\n"
      "size) are not joined: each run of compatible recordings gives its own clip. A recording\n"
      "that cannot be read ends the span before it. Progress and messages go to standard\n"
      "error. Everything is written under temporary names and named when complete; a failure\n"
      "or an interrupt leaves nothing behind, except that one while the clip is drawn keeps the\n"
      "finished lossless clip and its list. Temporary files of a run that was killed outright\n"
      "are removed by the next run into the folder.\n"
      "\n"
      "Exit status: 0 when everything asked for was written; 1 when there was nothing to\n"
      "export, a recording could not be read or copied (named on standard error; the rest is\n"
      "still written) or the command line is wrong; 2 when a file could not be written (the\n"
      "drawn clip included: the lossless clip is then kept); 130 or 143 when stopped by\n"
      "SIGINT (Ctrl-C) or SIGTERM.\n";

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};

void onInterrupt(int signal)
{
    g_signal = signal;
    g_interrupted = true;
}

// The camera's clock has no zone: the moment is read as it is written and held as UTC, like
// the names' times, so no daylight-saving gap of this computer's zone can refuse it.
std::optional<QDateTime> readMoment(const QString& text)
{
    const QString moment = text.trimmed();
    struct Layout
    {
        qsizetype length;
        const char* date;
        qsizetype dateLength;
        QLatin1String separators;
        const char* time;
    };
    static const Layout kLayouts[] = {{19, "yyyy-MM-dd", 10, QLatin1String(" T"), "HH:mm:ss"},
        {15, "yyyyMMdd", 8, QLatin1String("_"), "HHmmss"}};
    for (const Layout& layout : kLayouts) {
        if (moment.size() != layout.length
            || !layout.separators.contains(moment[layout.dateLength]))
            continue;
        const QDate date
            = QDate::fromString(moment.first(layout.dateLength), QLatin1String(layout.date));
        const QTime time
            = QTime::fromString(moment.mid(layout.dateLength + 1), QLatin1String(layout.time));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    return std::nullopt;
}

struct Arguments
{
    std::optional<QDateTime> from;
    std::optional<QDateTime> to;
    bool event = false;
    bool overlay = false;
    int unit = 0; // the order of the viewer's settings: km/h, mph, knots
    clip::ExportOptions options;
    QStringList inputs;
};

// 0 to go on, else the exit status; `help` is set when the text was asked for.
int parse(const QStringList& args, Arguments& parsed, QTextStream& errors, bool& help)
{
    parsed.options.gpx = parsed.options.csv = false;
    parsed.options.folder = QDir::currentPath();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* out) {
            if (i + 1 >= args.size()) {
                errors << "zyn-clip: " << a << " needs a value (see --help)\n";
                return false;
            }
            *out = args[++i];
            return true;
        };
        QString text;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
            return 0;
        } else if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            if (!value(&text))
                return 1;
            const std::optional<QDateTime> moment = readMoment(text);
            if (!moment) {
                errors << "zyn-clip: " << a << " must look like \"2025-06-14 14:24:40\"\n";
                return 1;
            }
            (a == QLatin1String("--from") ? parsed.from : parsed.to) = moment;
        } else if (a == QLatin1String("--event")) {
            parsed.event = true;
        } else if (a == QLatin1String("--gpx")) {
            parsed.options.gpx = true;
        } else if (a == QLatin1String("--csv")) {
            parsed.options.csv = true;
        } else if (a == QLatin1String("--overlay")) {
            parsed.overlay = true;
        } else if (a == QLatin1String("--unit")) {
            if (!value(&text))
                return 1;
            const QStringList units{
                QStringLiteral("kmh"), QStringLiteral("mph"), QStringLiteral("knots")};
            if (!units.contains(text)) {
                errors << "zyn-clip: --unit is kmh, mph or knots, not \"" << text << "\"\n";
                return 1;
            }
            parsed.unit = int(units.indexOf(text));
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (!value(&parsed.options.folder))
                return 1;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            errors << "zyn-clip: unknown option " << a << " (see --help)\n";
            return 1;
        } else {
            parsed.inputs << a;
        }
    }
    if (parsed.inputs.isEmpty()) {
        errors << "zyn-clip: no recording or folder given (see --help)\n";
        return 1;
    }
    if (parsed.overlay) {
        parsed.options.overlay = [unit = parsed.unit](const QString& clipPath,
                                     const QString& output, const clip::Control& control,
                                     double from, double to, QString* error) {
            overlay::VideoOptions options;
            options.speedUnit = unit;
            return overlay::drawClip(clipPath, output, options, control, from, to, error);
        };
    }
    if (parsed.event && (parsed.from || parsed.to)) {
        errors << "zyn-clip: --event takes its span from the event markers; leave out --from "
                  "and --to\n";
        return 1;
    }
    return 0;
}

// The recordings the inputs name: the files as given, a folder's camera recordings.
QStringList recordingsOf(const QStringList& inputs)
{
    QStringList recordings;
    for (const QString& input : inputs)
        recordings << (QFileInfo(input).isDir() ? recording::folderRecordings(input)
                                                : QStringList{input});
    return recordings;
}

QList<clip::Span> spansOf(const Arguments& args, QTextStream& errors)
{
    const QStringList recordings = recordingsOf(args.inputs);
    QList<clip::Span> spans;
    if (args.event) {
        for (const QString& path : recordings) {
            if (recording::hasEventIndex(clip::nameOnly(path)))
                spans << clip::eventSpans(path);
        }
        if (spans.isEmpty())
            errors << "zyn-clip: the recordings given carry no event marker\n";
        return clip::mergeSpans(spans);
    }
    QStringList messages;
    std::optional<clip::Span> whole;
    if (!args.from || !args.to)
        whole = clip::recordingsSpan(recordings, &messages);
    for (const QString& message : messages)
        errors << "zyn-clip: " << message << '\n';
    const std::optional<QDateTime> from = args.from ? args.from
        : whole                                     ? std::optional(whole->from)
                                                    : std::nullopt;
    const std::optional<QDateTime> to = args.to ? args.to
        : whole                                 ? std::optional(whole->to)
                                                : std::nullopt;
    if (from && to)
        spans << clip::Span{*from, *to};
    return spans;
}

} // namespace

int main(int argc, char* argv[])
{
    // The drawn clip's band is painted with fonts, which need a GUI application; without a
    // display it paints off screen.
    bool drawing = false;
    for (int i = 1; i < argc; ++i)
        drawing = drawing || std::strcmp(argv[i], "--overlay") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application = drawing
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    QTextStream errors(stderr);
    Arguments args;
    bool help = false;
    if (const int status = parse(app.arguments().mid(1), args, errors, help); status != 0 || help) {
        if (help)
            std::fputs(kUsage, stdout);
        return status;
    }
    clip::quietLibraryLog();
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    // What was asked for and not written decides the status: an input that could not be read
    // or copied (1) or an output that could not be written (2); a signal wins over both.
    int results = 0;
    bool unread = false;
    bool writeFailed = false;
    for (const clip::Span& span : spansOf(args, errors)) {
        const clip::PlanResult plan = clip::planClips(recordingsOf(args.inputs), span);
        for (const QString& message : plan.messages)
            errors << "zyn-clip: " << message << '\n';
        errors.flush();
        unread = unread || !plan.unreadable.isEmpty();
        for (const clip::ClipPlan& clipPlan : plan.clips) {
            int shownTenth = -1;
            const QString label
                = clipPlan.span.from.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            clip::Control control{[&](double done) {
                                      const int tenth = int(done * 10);
                                      if (tenth != shownTenth) {
                                          shownTenth = tenth;
                                          errors << "zyn-clip: " << label << ": " << tenth * 10
                                                 << "%\n";
                                          errors.flush();
                                      }
                                  },
                &g_interrupted};
            const clip::ExportResult result = clip::exportClip(clipPlan, args.options, control);
            errors << "zyn-clip: " << result.message << '\n';
            errors.flush();
            ++results;
            unread = unread || result.code == clip::SourceFailed || !result.uncopied.isEmpty();
            writeFailed = writeFailed || result.code == clip::WriteFailed
                || result.code == clip::Cancelled || result.code == clip::DrawnFailed;
            if (g_interrupted)
                return 128 + g_signal;
        }
    }
    if (g_interrupted)
        return 128 + g_signal;
    if (writeFailed)
        return 2;
    if (results == 0) {
        errors << "zyn-clip: nothing to export\n";
        return 1;
    }
    return unread ? 1 : 0;
}
