#include "CutRecordings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace cutrec;

namespace {

ProcessResult recoverTool(const QStringList& args)
{
    return run(QStringLiteral(ZYN_RECOVER), args);
}

TEST(RecoverToolTest, HelpAndExitStatuses)
{
    const ProcessResult help = recoverTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--reference") && help.out.contains("RECORDING"));
    EXPECT_EQ(recoverTool({}).exitCode, 1);

    QTemporaryDir dir;
    ASSERT_TRUE(makeCard(dir.path(), {"--drf", "2", "-c", "mjpeg"}).isEmpty());
    const QDir d(dir.path());
    const QString original = d.filePath("drf_20250614_142341.mp4");
    const QString cut = d.filePath("drf_20250614_142345.mp4");
    ASSERT_TRUE(writeFile(cut, readFile(original).left(300000)));

    const ProcessResult recovered = recoverTool({cut});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
    EXPECT_EQ(
        recovered.out.trimmed(), d.filePath("drf_20250614_142345_recovered.mp4").toLocal8Bit());
    EXPECT_TRUE(recovered.err.contains("%")) << "progress on standard error";
    // mpv, on which the player library is built, plays it through without a complaint.
    const ProcessResult played = run("mpv",
        {"--no-config", "--vo=null", "--ao=null", "--msg-level=all=error",
            d.filePath("drf_20250614_142345_recovered.mp4")});
    EXPECT_EQ(played.exitCode, 0);
    EXPECT_TRUE(played.err.isEmpty() && played.out.trimmed().isEmpty())
        << played.err.toStdString() << played.out.toStdString();

    EXPECT_EQ(recoverTool({cut}).exitCode, 2) << "the recovered file exists already";
    EXPECT_EQ(recoverTool({original}).exitCode, 1) << "an intact recording";

    QTemporaryDir alone;
    const QString lonely = QDir(alone.path()).filePath("drf_20250614_142345.mp4");
    ASSERT_TRUE(QFile::copy(cut, lonely));
    const ProcessResult noReference = recoverTool({lonely});
    EXPECT_EQ(noReference.exitCode, 1);
    EXPECT_TRUE(noReference.err.contains("reference") || noReference.err.contains("index"));
    const ProcessResult given
        = recoverTool({"--reference", d.filePath("drf_20250614_142337.mp4"), lonely});
    EXPECT_EQ(given.exitCode, 0) << given.err.toStdString();
}

// A minute of H.264 with sound, and a reference of the same settings, made by ffmpeg's muxer.
QString minute(bool reference)
{
    const QString seconds = reference ? QStringLiteral("4") : QStringLiteral("60");
    return ffmpegRecording(QStringLiteral("tool_%1.mp4").arg(reference ? "reference" : "minute"),
        {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30:duration=" + seconds, "-f", "lavfi",
            "-i", "sine=f=440:r=48000:d=" + seconds, "-c:v", "libx264", "-preset", "ultrafast",
            "-bf", "0", "-g", "30", "-pix_fmt", "yuv420p", "-c:a", "aac", "-f", "mp4"});
}

// Ctrl-C (or a termination request) mid-way: the hidden temporary file goes, nothing is named,
// and the status says so. The tool is held mid-walk by a standard error it cannot write to:
// a pipe of one page, full of its progress lines, that nobody reads until it has been told to
// stop.
TEST(RecoverToolTest, InterruptedMidWayLeavesNothingBehind)
{
    const QString original = minute(false), reference = minute(true);
    ASSERT_FALSE(original.isEmpty() || reference.isEmpty());
    QTemporaryDir dir;
    // A long name makes every progress line long.
    const QString cut
        = dir.filePath("drf_20250614_142345_" + QString(170, QLatin1Char('x')) + ".mp4");
    const QByteArray bytes = readFile(original);
    ASSERT_TRUE(writeFile(cut, bytes.left(bytes.size() * 9 / 10)));

    QProcess tool;
    tool.setChildProcessModifier([] { fcntl(STDERR_FILENO, F_SETPIPE_SZ, 4096); });
    tool.start(QStringLiteral(ZYN_RECOVER), {"--reference", reference, cut});
    ASSERT_TRUE(tool.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    const auto partFiles
        = [&] { return QDir(dir.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden); };
    while (partFiles().isEmpty() && waited.elapsed() < 60000)
        QThread::msleep(10);
    ASSERT_FALSE(partFiles().isEmpty()) << "the recovery started writing";
    QThread::msleep(200);
    ASSERT_EQ(tool.state(), QProcess::Running) << "held by its standard error";
    tool.terminate();
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130);
    EXPECT_TRUE(tool.readAllStandardError().contains("cancelled"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

// A recording whose data stop following the reference halfway: written, named, status 3.
TEST(RecoverToolTest, APartialRecoveryIsNoSuccess)
{
    const QString original = minute(false), reference = minute(true);
    ASSERT_FALSE(original.isEmpty() || reference.isEmpty());
    QTemporaryDir dir;
    QByteArray bytes = readFile(original);
    bytes = bytes.left(bytes.size() / 2);
    bytes.replace(bytes.size() / 2, 100000, QByteArray(100000, '\0'));
    const QString cut = dir.filePath("drf_20250614_142345.mp4");
    ASSERT_TRUE(writeFile(cut, bytes));
    const ProcessResult result = recoverTool({"--reference", reference, cut});
    EXPECT_EQ(result.exitCode, 3) << result.err.toStdString();
    EXPECT_EQ(
        result.out.trimmed(), dir.filePath("drf_20250614_142345_recovered.mp4").toLocal8Bit());
    EXPECT_TRUE(result.err.contains("left unread")) << result.err.toStdString();
}

// A recording ffmpeg was writing in real time when it was killed (kill -9): what it had written
// comes back as the same encoding made to its end has it.
TEST(RecoverToolTest, ARecordingKilledMidWriteIsRecovered)
{
    const QString reference = minute(true);
    ASSERT_FALSE(reference.isEmpty());
    const QStringList encoding = {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30", "-f",
        "lavfi", "-i", "sine=f=440:r=48000", "-c:v", "libx264", "-preset", "ultrafast", "-bf", "0",
        "-g", "30", "-pix_fmt", "yuv420p", "-c:a", "aac", "-f", "mp4"};
    QTemporaryDir dir;
    const QString killed = dir.filePath("drf_20250614_142345.mp4");
    QProcess ffmpeg;
    ffmpeg.start(
        "ffmpeg", QStringList{"-v", "error", "-nostdin", "-re"} + encoding + QStringList{killed});
    ASSERT_TRUE(ffmpeg.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(killed).size() < 400000 && waited.elapsed() < 60000)
        QThread::msleep(50);
    ::kill(pid_t(ffmpeg.processId()), SIGKILL);
    ASSERT_TRUE(ffmpeg.waitForFinished(10000));
    const qint64 written = QFileInfo(killed).size();
    ASSERT_GE(written, 400000);

    const ProcessResult result = recoverTool({"--reference", reference, killed});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    // The same encoding run to its end: deterministic, so its first packets are those written.
    const QString whole = ffmpegRecording("tool_whole.mp4", encoding + QStringList{"-t", "20"});
    const FfmpegView got = ffmpegView(QString::fromLocal8Bit(result.out.trimmed()));
    const FfmpegView expected = ffmpegView(whole);
    EXPECT_TRUE(got.errors.isEmpty()) << got.errors.toStdString();
    ASSERT_GT(got.packets.at(0).size(), 30);
    for (int s = 0; s < 2; ++s) {
        const QStringList& lines = got.packets.at(s);
        for (int i = 0; i + 1 < lines.size(); ++i)
            ASSERT_EQ(lines[i].toStdString(), expected.packets.at(s)[i].toStdString())
                << "stream " << s << " packet " << i;
    }
    EXPECT_EQ(got.frames.at(0).front().toStdString(), expected.frames.at(0).front().toStdString());
}

} // namespace
