#include "CutRecordings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
