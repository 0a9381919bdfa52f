// Random card layouts made of real recordings: recordings present, missing, cut by the power
// and recovered, with clips, drawn clips, copies, side files and unfinished writes beside them
// under names and sizes drawn at random. Drives, clips' spans and recovery's reference must
// take the camera's recordings only, each once, and pass over nothing they could use.
#include "clip/ClipSpan.h"
#include "drive/DriveAnalysis.h"
#include "recording/CardFiles.h"
#include "recover/Recovery.h"
#include "support/Process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

using recording::CardRole;

constexpr int kSeconds = 4;

// Six recordings of one drive, four seconds each, of the three kinds.
class BaseCard
{
public:
    static BaseCard& shared()
    {
        static BaseCard card;
        return card;
    }
    QStringList names; // in time order
    QString folder() const { return m_dir.filePath("base"); }

private:
    BaseCard()
    {
        testsupport::runProcess(QStringLiteral(ZYN_CARDGEN),
            {"--length", QString::number(kSeconds), "--drf", "3", "--evt", "2", "--muevt", "1",
                "--seed", "7", "--start", "2025-06-14 14:23:37", folder()});
        for (const recording::CardRecording& r : recording::listCard(folder()).recordings)
            names << QFileInfo(r.path).fileName();
    }
    QTemporaryDir m_dir;
};

QDateTime startOf(const QString& name)
{
    return recording::classifyName(name).start;
}

bool isCameraFile(const QString& path)
{
    const CardRole role = recording::classifyName(QFileInfo(path).fileName()).role;
    return role == CardRole::Recording || role == CardRole::Recovered;
}

struct Layout
{
    QTemporaryDir dir;
    QStringList playable; // camera recordings (or recovered copies) that can be read
    QStringList damaged; // cut originals without a recovered copy
};

// Lays a random card out of the base recordings.
void makeLayout(std::mt19937& random, Layout& layout)
{
    const BaseCard& base = BaseCard::shared();
    const QDir from(base.folder());
    const QDir to(layout.dir.path());
    auto copy = [&](const QString& source, const QString& name, qint64 keep = -1) {
        QFile in(from.filePath(source));
        QFile out(to.filePath(name));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        const QByteArray bytes = in.readAll();
        out.write(keep < 0 ? bytes : bytes.left(keep));
    };
    for (const QString& name : base.names) {
        const QString stem = name.chopped(4);
        const qint64 size = QFileInfo(from.filePath(name)).size();
        switch (random() % 6) {
        case 0: // never recorded, or deleted
            break;
        case 1: // cut by the power, not recovered
            copy(name, name, qint64(random() % uint64_t(size / 2)));
            layout.damaged << to.filePath(name);
            break;
        case 2: // cut and recovered (a whole recording stands for the recovered copy)
            copy(name, name, size / 2);
            copy(name, stem + "_recovered.mp4");
            layout.playable << to.filePath(stem + "_recovered.mp4");
            break;
        default:
            copy(name, name);
            layout.playable << to.filePath(name);
        }
        // What was made from it: real recordings and broken ones under derived names.
        const QString kind = stem.section('_', 0, 0);
        const QDateTime later = startOf(name).addSecs(int(random() % kSeconds));
        const QString clipStem = "clip_" + kind + "_" + later.toString("yyyyMMdd_HHmmss");
        const QStringList made = {clipStem + ".mp4", clipStem + "_overlay.mp4",
            clipStem + ".mp4.sha256", clipStem + ".gpx", "copy_" + name,
            "." + clipStem + ".mp4.0.part", stem + " (1).mp4", stem + "_recovered.mp4.part"};
        for (int n = int(random() % 4); n > 0; --n) {
            const QString derived = made[int(random() % made.size())];
            copy(name, derived, random() % 3 ? -1 : qint64(random() % uint64_t(size)));
        }
    }
}

} // namespace

TEST(CardLayoutTest, DrivesSpansAndReferenceTakeOnlyTheCamerasRecordings)
{
    const BaseCard& base = BaseCard::shared();
    ASSERT_EQ(base.names.size(), 6) << "zyn-cardgen could not write the base card";
    const QDateTime first = startOf(base.names.first());
    std::mt19937 random(20250614);
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        Layout layout;
        makeLayout(random, layout);
        if (HasFatalFailure())
            return;
        const QString folder = layout.dir.path();

        // Drives: only camera recordings, each once, in time order.
        const drive::Analysis analysis = drive::analyseRecordings({folder});
        QStringList inDrives;
        QDateTime last;
        for (const drive::DriveSummary& d : analysis.drives) {
            for (const QString& path : d.recordings) {
                EXPECT_TRUE(isCameraFile(path)) << path.toStdString();
                EXPECT_FALSE(inDrives.contains(path)) << path.toStdString();
                const QDateTime start = startOf(QFileInfo(path).fileName());
                EXPECT_TRUE(!last.isValid() || last <= start) << path.toStdString();
                last = start;
                inDrives << path;
            }
        }
        for (const QString& path : layout.playable)
            EXPECT_TRUE(inDrives.contains(QDir::cleanPath(path))) << path.toStdString();

        // A span: every readable recording it touches is used, and nothing else.
        const QDateTime from = first.addSecs(int(random() % 30) - 5);
        const QDateTime to = from.addSecs(1 + int(random() % 20));
        const clip::PlanResult plan = clip::planClips({folder}, {from, to});
        QStringList used;
        QDateTime reached;
        for (const clip::ClipPlan& c : plan.clips) {
            EXPECT_TRUE(!reached.isValid() || reached <= c.span.from);
            reached = c.span.to;
            for (const clip::Piece& piece : c.pieces) {
                EXPECT_TRUE(isCameraFile(piece.source.path)) << piece.source.path.toStdString();
                EXPECT_FALSE(used.contains(piece.source.path)) << piece.source.path.toStdString();
                used << QDir::cleanPath(piece.source.path);
            }
        }
        for (const QString& path : layout.playable) {
            const QDateTime start = startOf(QFileInfo(path).fileName());
            if (start.addSecs(kSeconds) > from.addSecs(1) && start.addSecs(1) < to)
                EXPECT_TRUE(used.contains(QDir::cleanPath(path)))
                    << path.toStdString() << "\n"
                    << plan.messages.join('\n').toStdString();
        }
        if (plan.clips.isEmpty())
            EXPECT_TRUE(plan.messages.join('\n').contains("no recording covers"))
                << plan.messages.join('\n').toStdString();

        // The reference of a damaged recording: the nearest readable camera recording of its
        // kind, when there is one.
        for (const QString& damaged : layout.damaged) {
            const QString name = QFileInfo(damaged).fileName();
            const QString reference = recover::findReference(damaged);
            qint64 nearest = -1;
            for (const QString& path : layout.playable) {
                const QString other = QFileInfo(path).fileName();
                if (recording::classifyName(other).role == CardRole::Recording
                    && other.section('_', 0, 0) == name.section('_', 0, 0)) {
                    const qint64 distance = std::abs(startOf(name).secsTo(startOf(other)));
                    nearest = nearest < 0 ? distance : std::min(nearest, distance);
                }
            }
            if (nearest < 0) {
                EXPECT_TRUE(reference.isEmpty()) << reference.toStdString();
                continue;
            }
            ASSERT_FALSE(reference.isEmpty()) << name.toStdString();
            const QString chosen = QFileInfo(reference).fileName();
            EXPECT_EQ(recording::classifyName(chosen).role, CardRole::Recording)
                << chosen.toStdString();
            EXPECT_EQ(std::abs(startOf(name).secsTo(startOf(chosen))), nearest)
                << name.toStdString() << " took " << chosen.toStdString();
        }
    }
}
