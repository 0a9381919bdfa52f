// The archive from the main window: the import a card given to the viewer is offered in the
// title, started by a click on it and reported in a message; key A and the play list's menu
// open the archive window, and what it asks to play plays in the main window with the drive's
// recordings in the list.
#include "ViewerFixture.h"

#include "ArchiveWindowFixture.h"
#include "archive/Archive.h"
#include "archive/ArchiveQueries.h"
#include "archivewindow/ArchiveLocation.h"
#include "archivewindow/ArchiveWindow.h"
#include "resources/Strings.h"
#include "viewer/PlayListPainter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

namespace {

using archivewintest::demoCard;
using archivewintest::waitFor;

class ArchiveInViewerTest : public ViewerTest
{
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        ASSERT_FALSE(demoCard().isEmpty());
        archiveRoot = folder.filePath(QStringLiteral("archive"));
        ASSERT_TRUE(
            platform::Registry::write(configKey(), QLatin1String(archivewin::kLocationValueName),
                archivewin::formatLocation({archiveRoot, {}}).toUtf8()));
        start();
    }
    void TearDown() override
    {
        ViewerTest::TearDown();
        platform::Registry::remove(configKey(), QLatin1String(archivewin::kLocationValueName));
    }

    QTemporaryDir folder;
    QString archiveRoot;
};

TEST_F(ArchiveInViewerTest, ACardGivenIsOfferedInTheTitleAndAClickThereKeepsItInTheArchive)
{
    window->openRecordings({demoCard()});
    ASSERT_TRUE(waitFor([&] { return !window->archiveOffer().isEmpty(); }, 20000));
    EXPECT_EQ(window->archiveOffer(), QDir::cleanPath(demoCard()));
    EXPECT_EQ(window->status(), QString(strings::kArchiveOffer).arg(5));
    // An archive not made yet is not made by asking it.
    EXPECT_FALSE(QFileInfo::exists(archive::Archive::sqliteFile(archiveRoot)));

    QTest::mouseClick(window.get(), Qt::LeftButton, {}, PlayListPainter::kTitleRect.center());
    EXPECT_TRUE(window->archiveOffer().isEmpty());
    ASSERT_TRUE(waitFor([&] { return !window->isImporting() && !boxes.texts.isEmpty(); }, 120000));
    EXPECT_EQ(boxes.texts.last(), QString(strings::kArchiveImported).arg(5).arg(0).arg(0).arg(0));

    // The card's files, byte for byte, in the vehicle's day, and their drive in the index.
    const QDir day(archiveRoot + QStringLiteral("/default/2025/06/14"));
    const QStringList kept = day.entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(kept, QDir(demoCard()).entryList(QDir::Files, QDir::Name));
    for (const QString& name : kept) {
        QFile a(day.filePath(name)), b(QDir(demoCard()).filePath(name));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_TRUE(a.readAll() == b.readAll()) << name.toStdString();
    }
    archive::Archive index;
    QString error;
    ASSERT_EQ(index.open(archiveRoot, {}, &error), archive::Opened);
    std::vector<archive::DriveRow> drives;
    ASSERT_TRUE(archive::drives(index, {}, &drives, &error));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].recordings, 5);

    // Given again, the card holds nothing the archive lacks: no offer.
    window->openRecordings({demoCard()});
    QTest::qWait(3000);
    EXPECT_TRUE(window->archiveOffer().isEmpty());
}

TEST_F(ArchiveInViewerTest, KeyAOpensTheArchiveWindowAndWhatItPlaysJoinsTheList)
{
    ASSERT_EQ(archivewintest::runArchiveTool(
                  {QStringLiteral("--archive"), archiveRoot, QStringLiteral("import"), demoCard()}),
        0);
    QTest::keyClick(window.get(), Qt::Key_A);
    archivewin::ArchiveWindow* archiveWindow = window->archiveWindow();
    ASSERT_NE(archiveWindow, nullptr);
    EXPECT_TRUE(archiveWindow->isVisible());
    EXPECT_TRUE(archiveWindow->isWindow());
    EXPECT_FALSE(archiveWindow->isModal());
    ASSERT_TRUE(waitFor(
        [&] { return archiveWindow->pending() == 0 && archiveWindow->shownDrive().has_value(); }));
    const QStringList recordings = archiveWindow->shownDrive()->recordings;
    ASSERT_EQ(recordings.size(), 5);
    EXPECT_TRUE(recordings[0].startsWith(archiveRoot));

    // The main window keeps playing: the archive's window asks, the main window plays.
    emit archiveWindow->playRequested(recordings, recordings[2], 12);
    EXPECT_EQ(window->playList().entries(), recordings);
    EXPECT_EQ(window->playList().currentPath(), recordings[2]);
    EXPECT_TRUE(window->isPlaying() || window->playList().currentPath() == recordings[2]);
}

TEST_F(ArchiveInViewerTest, ThePlayListsMenuOffersTheArchiveAndTheCardsImport)
{
    window->openRecordings({demoCard()});
    QContextMenuEvent menuEvent(
        QContextMenuEvent::Mouse, QPoint(850, 700), window->mapToGlobal(QPoint(850, 700)));
    QCoreApplication::sendEvent(window.get(), &menuEvent);
    auto* menu = window->findChild<QMenu*>(QStringLiteral("listMenu"));
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << action->text();
    EXPECT_TRUE(entries.contains(QString(strings::kArchiveMenu)));
    EXPECT_TRUE(entries.contains(QString(strings::kArchiveImportMenu)));
    menu->close();
}

} // namespace
