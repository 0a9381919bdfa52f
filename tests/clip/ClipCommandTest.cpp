#include "ClipTestCard.h"

#include "support/CardFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
