#include "ClipTestCard.h"

#include "clip/ClipJob.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace cliptest;

namespace {

// What the viewer's popup sees: reports arrive on its own thread while the export runs on
// another, and Cancel from its thread stops the export and removes what it made.
TEST(ClipJob, ReportsToItsThreadAndCancelsFromThere)
{
    ASSERT_TRUE(Card::shared().ok());
    QTemporaryDir out;
    clip::ClipJob job;
    QList<double> reports;
    bool onOwnThread = true;
    QObject::connect(&job, &clip::ClipJob::progress, &job, [&](double done) {
        onOwnThread = onOwnThread && QThread::currentThread() == job.thread();
        reports << done;
    });
    QSignalSpy finished(&job, &clip::ClipJob::finished);
    ASSERT_TRUE(job.start({Card::shared().folder()}, {at(14, 23, 40), at(14, 24, 10)},
        {out.path(), true, true, "zyn_clip_tests"}));
    EXPECT_FALSE(job.start({Card::shared().folder()}, {at(14, 23, 40), at(14, 24, 10)},
        {out.path(), true, true, "zyn_clip_tests"})); // one export at a time
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_TRUE(onOwnThread);
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_DOUBLE_EQ(reports.last(), 1.0);
    const auto results = finished.first().at(0).value<QList<clip::ExportResult>>();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results.first().code, clip::Exported);
    EXPECT_EQ(filesIn(out.path()).size(), 4);

    // Blocking: the worker waits for the popup's answer, so the cancel lands mid-way for sure.
    QTemporaryDir cancelled;
    QObject::connect(
        &job, &clip::ClipJob::progress, &job,
        [&](double done) {
            if (done > 0.2)
                job.cancel();
        },
        Qt::BlockingQueuedConnection);
    ASSERT_TRUE(job.start({Card::shared().folder()}, {at(14, 23, 40), at(14, 24, 30)},
        {cancelled.path(), true, true, "zyn_clip_tests"}));
    ASSERT_TRUE(finished.wait(60000));
    const auto stopped = finished.last().at(0).value<QList<clip::ExportResult>>();
    ASSERT_EQ(stopped.size(), 1);
    EXPECT_EQ(stopped.first().code, clip::Cancelled);
    EXPECT_TRUE(filesIn(cancelled.path()).isEmpty());
}

} // namespace
