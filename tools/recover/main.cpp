// zyn-recover: recovers recordings that the camera never closed (power cut, card pulled).

#include "recover/Recovery.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <csignal>

namespace {

// Ctrl-C or a termination request: the recovery notices, removes its temporary file and ends.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onSignal(int)
{
    g_interrupted = true;
}

// Progress on standard error in whole percent, one line per recording, rewritten in place.
class ProgressLine
{
public:
    ProgressLine(QTextStream& err, const QString& name)
        : m_err(err)
        , m_name(name)
    { }
    void operator()(int permille)
    {
        const int percent = permille / 10;
        if (percent == m_shown)
            return;
        m_shown = percent;
        m_err << '\r' << m_name << ": " << percent << " %" << Qt::flush;
    }
    void done()
    {
        if (m_shown >= 0)
            m_err << '\r' << QString(m_name.size() + 8, QLatin1Char(' ')) << '\r';
    }

private:
    QTextStream& m_err;
    QString m_name;
    int m_shown = -1;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zyn-recover"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Recovers dashboard camera recordings that were never closed (the power went, the card "
        "was pulled): their media data are kept byte for byte and given a new index built from "
        "a healthy recording of the same camera. Each RECORDING is only read; the result is "
        "written beside it as <name>_recovered.mp4 (never over an existing file).\n\n"
        "Exit status: 0 every recording recovered, 1 nothing to recover or no usable "
        "reference, 2 a file could not be read or written, 3 a recording recovered only in "
        "part (written, but media data after the recovered part were left unread), 130 "
        "interrupted (nothing left behind)."));
    parser.addHelpOption();
    parser.addOptions({
        {"reference",
            "A complete recording of the same camera and settings to take the index from "
            "(default: the nearest in time of the same kind in the recording's folder).",
            "file"},
        {{"o", "output"}, "Folder to write into when the recording's folder is not writable.",
            "folder"},
    });
    parser.addPositionalArgument(
        QStringLiteral("RECORDING"), QStringLiteral("Recordings to recover."), "RECORDING...");
    parser.process(app);

    QTextStream err(stderr);
    const QStringList recordings = parser.positionalArguments();
    if (recordings.isEmpty()) {
        err << "zyn-recover: no RECORDING given (see --help)" << Qt::endl;
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    int status = 0;
    for (const QString& path : recordings) {
        recover::Request request;
        request.recording = path;
        request.reference = parser.value("reference");
        request.fallbackFolder = parser.value("output");
        ProgressLine line(err, QFileInfo(path).fileName());
        const recover::Report report = recover::recoverRecording(
            request, &g_interrupted, [&](int permille) { line(permille); });
        line.done();
        err << path << ": " << report.message << Qt::endl;
        if (report.outcome == recover::Outcome::Cancelled)
            return 130;
        if (!report.output.isEmpty()) {
            err << "  " << report.videoFrames << " pictures, " << report.soundFrames
                << " sound frames, " << report.keptBytes << " of " << report.mediaBytes
                << " media bytes; index from " << report.reference << Qt::endl;
            QTextStream(stdout) << report.output << Qt::endl;
        }
        status = std::max(status, recover::exitStatus(report.outcome));
    }
    return status;
}
