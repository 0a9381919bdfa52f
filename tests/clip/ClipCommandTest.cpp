#include "ClipTestCard.h"

#include "drive/RecordingTelemetry.h"
#include "overlay/OverlayBand.h"
#include "support/CardFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace cliptest;

namespace {

Outcome zynClip(const QStringList& args)
{
    return run(QStringLiteral(ZYN_CLIP), args);
}

// The CSV rows of the given recordings' seconds as zyn-telemetry --csv writes them, without the
// recording and index columns that name the file.
QStringList csvRows(const QByteArray& csv)
{
    QStringList rows;
    for (const QByteArray& line : csv.trimmed().split('\n').mid(1))
        rows << QString::fromLatin1(line).section(',', 2);
    return rows;
}

// Starts zyn-clip and sends it `signal` once it reports `percent`; its exit status, or 128 +
// the signal when the signal ended it.
int signalledAt(const QStringList& args, int signal, int percent, QByteArray* errors)
{
    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(ZYN_CLIP), args);
    const QByteArray mark = ": " + QByteArray::number(percent) + "%";
    while (!errors->contains(mark) && process.state() != QProcess::NotRunning
        && process.waitForReadyRead(60000))
        *errors += process.readAllStandardError();
    if (process.state() != QProcess::NotRunning)
        ::kill(pid_t(process.processId()), signal);
    process.waitForFinished(60000);
    *errors += process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128 + signal;
}

TEST(ClipCommand, HelpAndExitStatuses)
{
    ASSERT_TRUE(Card::shared().ok());
    const Outcome help = zynClip({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("Usage: zyn-clip")) << help.out.constData();
    EXPECT_TRUE(help.out.contains("--event"));

    QTemporaryDir out;
    // Nothing to export: the span lies before every recording.
    const Outcome before = zynClip({"--from", "2025-06-14 10:00:00", "--to", "2025-06-14 10:00:10",
        "-o", out.path(), Card::shared().folder()});
    EXPECT_EQ(before.exitCode, 1) << before.err.constData();
    EXPECT_TRUE(before.err.contains("nothing to export"));
    EXPECT_EQ(zynClip({"--from", "yesterday", Card::shared().folder()}).exitCode, 1);
    // A write error: the output folder does not exist.
    const Outcome nowhere = zynClip({"--from", "2025-06-14 14:23:40", "--to", "2025-06-14 14:23:45",
        "-o", out.filePath("missing"), Card::shared().folder()});
    EXPECT_EQ(nowhere.exitCode, 2);
    EXPECT_TRUE(nowhere.err.contains("does not exist")) << nowhere.err.constData();
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST(ClipCommand, EventClipWithGpxAndCsvOfTheSpan)
{
    Card& card = Card::shared();
    ASSERT_TRUE(card.ok());
    const QList<clip::Span> spans = clip::eventSpans(card.path(1));
    ASSERT_EQ(spans.size(), 1); // the recording's two events lie close enough to make one clip
    QTemporaryDir out;
    const Outcome exported = zynClip({"--event", "--gpx", "--csv", "-o", out.path(), card.path(1)});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.constData();
    EXPECT_TRUE(exported.err.contains("100%"));
    const QStringList files = filesIn(out.path());
    const QString stem = "clip_evt_" + spans[0].from.toString("yyyyMMdd_HHmmss");
    EXPECT_EQ(
        files, QStringList({stem + ".csv", stem + ".gpx", stem + ".mp4", stem + ".mp4.sha256"}));

    // The CSV holds the camera recordings' own rows of the span's seconds, in order.
    const Outcome sources
        = run(QStringLiteral(ZYN_TELEMETRY), {"--csv", card.path(0), card.path(1), card.path(2)});
    ASSERT_EQ(sources.exitCode, 0);
    const QStringList clipRows = csvRows(cardfile::readAll(out.filePath(stem + ".csv")));
    const qint64 length = spans[0].from.secsTo(spans[0].to);
    EXPECT_EQ(clipRows, csvRows(sources.out).mid(Card::first().secsTo(spans[0].from), length));
    EXPECT_TRUE(cardfile::readAll(out.filePath(stem + ".gpx")).contains("<trkpt"));
    const Outcome check
        = run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict *.sha256", out.path()});
    EXPECT_EQ(check.exitCode, 0) << check.out.constData();
}

// The camera's clock has no zone: a moment inside the computer's daylight-saving gap (Berlin's
// clocks skip 02:00 to 03:00 on 2025-03-30) is still a moment of the camera's.
TEST(ClipCommand, CameraTimeHasNoDaylightSavingGap)
{
    QTemporaryDir card;
    ASSERT_EQ(writeCard(card.path(),
                  {"--length", "5", "--drf", "1", "--evt", "0", "--muevt", "0", "--start",
                      "2025-03-30 02:30:00"})
                  .exitCode,
        0);
    QProcessEnvironment berlin = QProcessEnvironment::systemEnvironment();
    berlin.insert("TZ", "Europe/Berlin");
    QTemporaryDir out;
    const Outcome cut = testsupport::runProcess(QStringLiteral(ZYN_CLIP),
        {"--from", "2025-03-30 02:30:01", "--to", "2025-03-30T02:30:03", "-o", out.path(),
            card.path()},
        berlin);
    EXPECT_EQ(cut.exitCode, 0) << cut.err.constData();
    EXPECT_TRUE(QFileInfo::exists(out.filePath("clip_drf_20250330_023001.mp4")))
        << filesIn(out.path()).join(' ').toStdString();
    EXPECT_NEAR(probeNumber(out.filePath("clip_drf_20250330_023001.mp4"), "format=duration"), 2,
        1.0 / kFps);
}

// Whatever was asked for and not written makes the status non-zero: here the second of two
// clips comes from a recording the copy refuses (its pictures stored out of order).
TEST(ClipCommand, OneFailedClipOfSeveralIsNotSuccess)
{
    Card& card = Card::shared();
    ASSERT_TRUE(card.ok());
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(card.path(0), dir.filePath(card.names()[0])));
    const Outcome encoded = run("ffmpeg",
        {"-v", "error", "-i", card.path(1), "-t", "4", "-c:v", "libx264", "-preset", "ultrafast",
            "-bf", "2", "-c:a", "copy", dir.filePath("drf_20250614_142400.mp4")});
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err.constData();
    QTemporaryDir out;
    const Outcome cut = zynClip({"--from", "2025-06-14 14:23:50", "--to", "2025-06-14 14:24:03",
        "-o", out.path(), dir.path()});
    EXPECT_EQ(cut.exitCode, 1) << cut.err.constData();
    EXPECT_TRUE(cut.err.contains("B-frames")) << cut.err.constData();
    EXPECT_TRUE(QFileInfo::exists(out.filePath("clip_drf_20250614_142350.mp4")));
}

// Ctrl-C or a stop while the clip is drawn: the lossless clip, complete and checked, is the
// evidence and stays with its list; only the drawn one goes. The status says which signal.
TEST(ClipCommand, AnInterruptWhileDrawingKeepsTheClipAndSaysWhichSignal)
{
    Card& card = Card::shared();
    ASSERT_TRUE(card.ok());
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QTemporaryDir out;
        QByteArray errors;
        const int status = signalledAt({"--from", "2025-06-14 14:23:37", "--to",
                                           "2025-06-14 14:23:57", "--overlay", "-o", out.path(),
                                           card.folder()},
            signal, 30, &errors);
        EXPECT_EQ(status, 128 + signal) << errors.constData();
        EXPECT_EQ(filesIn(out.path()).join(' ').toStdString(),
            "clip_drf_20250614_142337.mp4 clip_drf_20250614_142337.mp4.sha256")
            << errors.constData();
        EXPECT_TRUE(errors.contains("drawn clip")) << errors.constData();
        const Outcome check = run("sh", {"-c", "cd \"$0\" && sha256sum -c --strict *.sha256", out.path()});
        EXPECT_EQ(check.exitCode, 0) << check.out.constData();
    }
}

// A run killed outright (or a power cut) leaves its hidden temporary files; the next run into
// the folder removes them, but never one that a running export still writes.
TEST(ClipCommand, TemporariesOfAKilledRunAreRemovedByTheNext)
{
    Card& card = Card::shared();
    ASSERT_TRUE(card.ok());
    QTemporaryDir out;
    QByteArray errors;
    signalledAt({"--from", "2025-06-14 14:23:37", "--to", "2025-06-14 14:23:57", "--overlay", "-o",
                    out.path(), card.folder()},
        SIGKILL, 30, &errors);
    const QStringList left = filesIn(out.path()).filter(".part");
    ASSERT_FALSE(left.isEmpty()) << "the killed run left no temporary file";

    const QString busy = out.filePath(".clip_drf_20250614_142340.mp4.7.part");
    QProcess holder; // another export's temporary, in use
    holder.start("flock", {busy, "sleep", "60"});
    ASSERT_TRUE(holder.waitForStarted());
    for (int i = 0; i < 100 && !QFileInfo::exists(busy); ++i)
        QThread::msleep(20);

    const Outcome next = zynClip({"--from", "2025-06-14 14:23:40", "--to", "2025-06-14 14:23:42",
        "-o", out.path(), card.folder()});
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(next.exitCode, 0) << next.err.constData();
    EXPECT_EQ(filesIn(out.path()).filter(".part").join(' '), QFileInfo(busy).fileName());
    EXPECT_TRUE(next.err.contains("unfinished")) << next.err.constData();
}

// A second no recording has telemetry for reads as no data: not as 0 g on every axis.
TEST(ClipCommand, SecondsWithoutTelemetryReadAsNoData)
{
    QTemporaryDir card;
    ASSERT_EQ(writeCard(card.path(),
                  {"--length", "3", "--drf", "1", "--evt", "0", "--muevt", "0", "--plain", "1"})
                  .exitCode,
        0);
    QTemporaryDir out;
    const Outcome cut = zynClip({"--csv", "-o", out.path(), card.path()});
    ASSERT_EQ(cut.exitCode, 0) << cut.err.constData();
    const QStringList csv = QDir(out.path()).entryList({"*.csv"});
    ASSERT_EQ(csv.size(), 1);
    const QList<QByteArray> rows = cardfile::readAll(out.filePath(csv[0])).trimmed().split('\n');
    ASSERT_EQ(rows.size(), 7); // the header, three seconds with telemetry, three without
    for (int second = 0; second < 6; ++second) {
        const QList<QByteArray> fields = rows[second + 1].split(',');
        ASSERT_EQ(fields.size(), 12);
        const bool data = second < 3;
        EXPECT_EQ(!fields[9].isEmpty() && !fields[11].isEmpty(), data)
            << "second " << second << ": " << rows[second + 1].constData();
    }

    drive::RecordingTelemetry telemetry;
    ASSERT_EQ(drive::readRecording(out.filePath(csv[0].chopped(4) + ".mp4"), telemetry),
        drive::ReadResult::Ok);
    const overlay::BandPainter band(telemetry, 640, {});
    EXPECT_TRUE(band.values(1.5).hasSample);
    EXPECT_FALSE(band.values(4.5).hasSample);
    EXPECT_FALSE(band.values(4.5).hasTelemetry);
}

} // namespace
