// The archive window over the demo card's archive, as the driver uses it: the month and the
// day, the drive's profile against zyn-telemetry, a click on the map that finds the drive's
// pass with its picture and plays it, the filters, and the archive on PostgreSQL named in the
// viewer's configuration.
#include "ArchiveWindowFixture.h"
#include "PostgresServer.h"
#include "WebViewSupport.h"

#include "app/ViewerConfig.h"
#include "archive/Archive.h"
#include "archivewindow/ArchiveMapView.h"
#include "archivewindow/ArchiveWindow.h"
#include "archivewindow/Thumbnails.h"
#include "drive/GreatCircle.h"
#include "map/CGoogleMap.h"
#include "map/MapPage.h"
#include "platform/Registry.h"
#include "resources/Strings.h"
#include "support/Process.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextCharFormat>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using archivewin::ArchiveWindow;
using archivewintest::waitFor;

namespace {

const QDate kDemoDay(2025, 6, 14);

QString pagePath()
{
    static QTemporaryDir folder;
    static const QString page = mapview::writePage(folder.path(), folder.path());
    return page;
}

std::unique_ptr<ArchiveWindow> openWindow(const archivewin::ArchiveLocation& location)
{
    auto window
        = std::make_unique<ArchiveWindow>(location, nullptr, pagePath(), QStringLiteral("none"));
    window->show();
    return window;
}

bool settled(const ArchiveWindow& window)
{
    return window.pending() == 0;
}

// A second of the drive in the middle of its fourth recording, where it passes once.
const archive::TrackPoint* passPoint(const ArchiveWindow& window)
{
    const auto& shown = window.shownDrive();
    if (!shown || shown->track.size() < 100)
        return nullptr;
    return &shown->track[100];
}

// A click on the map's page where the place lies, as the mouse gives it to the page.
bool clickMapAt(ArchiveWindow& window, double latitude, double longitude)
{
    QWebEnginePage* page = window.mapView()->map()->page();
    const QString script = QStringLiteral(
        "(function () { var p = zynArchive.pixel(%1, %2);"
        " var el = document.getElementById('map_canvas');"
        " var r = el.getBoundingClientRect();"
        " el.dispatchEvent(new MouseEvent('click', {bubbles: true, clientX: r.left + p[0],"
        " clientY: r.top + p[1]})); return p; })()")
                               .arg(latitude, 0, 'f', 7)
                               .arg(longitude, 0, 'f', 7);
    return maptest::evaluate(page, script).isValid();
}

class ArchiveWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        archive = std::make_unique<archivewintest::ImportedArchive>();
        window = openWindow(archive->location());
    }
    static void TearDownTestSuite()
    {
        window.reset();
        archive.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(archive->isValid());
        ASSERT_TRUE(waitFor([] { return settled(*window) && window->shownDrive(); }));
    }

    static std::unique_ptr<archivewintest::ImportedArchive> archive;
    static std::unique_ptr<ArchiveWindow> window;
};

std::unique_ptr<archivewintest::ImportedArchive> ArchiveWindowTest::archive;
std::unique_ptr<ArchiveWindow> ArchiveWindowTest::window;

TEST_F(ArchiveWindowTest, OpensOnTheLatestDrivesDayWithTheDaysOfDrivesMarked)
{
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->calendar()->yearShown(), 2025);
    EXPECT_EQ(window->calendar()->monthShown(), 6);
    ASSERT_EQ(window->markedDays().size(), 1u);
    EXPECT_EQ(window->markedDays()[0], kDemoDay);
    EXPECT_TRUE(window->calendar()->dateTextFormat(kDemoDay).font().bold());
    EXPECT_FALSE(window->calendar()->dateTextFormat(kDemoDay.addDays(1)).font().bold());

    ASSERT_EQ(window->driveList()->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = window->driveList()->topLevelItem(0);
    EXPECT_EQ(row->text(0), QStringLiteral("14:23:37"));
    EXPECT_EQ(row->text(1), QStringLiteral("14:26:07"));
    EXPECT_EQ(row->text(4), QStringLiteral("default"));
    EXPECT_EQ(window->shownDrive()->recordings.size(), 5);
}

TEST_F(ArchiveWindowTest, ADayWithoutDrivesListsNoneAndLeavesTheProfileEmpty)
{
    window->chooseDay(kDemoDay.addDays(2));
    ASSERT_TRUE(waitFor([] { return settled(*window); }));
    EXPECT_EQ(window->driveList()->topLevelItemCount(), 0);
    EXPECT_TRUE(window->dayDrives().empty());
    EXPECT_FALSE(window->shownDrive());
    EXPECT_TRUE(window->profile()->profile().seconds.empty());
    EXPECT_TRUE(window->profile()->speedAt(100) == std::nullopt);

    window->chooseDay(kDemoDay);
    ASSERT_TRUE(waitFor([] { return settled(*window) && window->shownDrive(); }));
    EXPECT_FALSE(window->profile()->profile().seconds.empty());
}

// Every second of the card that zyn-telemetry reads with a fix is on the profile, at its place
// in the drive and with the same speed.
TEST_F(ArchiveWindowTest, TheProfileShowsTheSpeedsZynTelemetryReadsForTheSameSeconds)
{
    const testsupport::ProcessResult csv = testsupport::runProcess(
        QStringLiteral(ZYN_TELEMETRY), {QStringLiteral("--csv"), archivewintest::demoCard()});
    ASSERT_EQ(csv.exitCode, 0);
    const QDateTime driveStart(kDemoDay, QTime(14, 23, 37), Qt::UTC);
    int compared = 0;
    for (const QByteArray& line : csv.out.split('\n').mid(1)) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() < 8 || f[3] != "A")
            continue;
        const QString name = QFileInfo(QString::fromUtf8(f[0])).fileName();
        const QDateTime recordingStart = QDateTime::fromString(
            name.section(QLatin1Char('_'), 1, 2).left(15), QStringLiteral("yyyyMMdd_HHmmss"));
        const qint64 offset
            = driveStart.secsTo(QDateTime(recordingStart.date(), recordingStart.time(), Qt::UTC))
            + f[1].toInt();
        const std::optional<double> shown = window->profile()->speedAt(offset);
        ASSERT_TRUE(shown) << name.toStdString() << " second " << f[1].toStdString();
        EXPECT_NEAR(*shown, f[7].toDouble(), 0.01)
            << name.toStdString() << " " << f[1].toStdString();
        ++compared;
    }
    // The demo drive has a fix in (nearly) every second of its five recordings.
    EXPECT_GE(compared, 140);
}

// The driver clicks the map on the drive's road: the pass is listed with its picture, and a
// double-click plays its recording from five seconds before the moment, the drive's
// recordings with it.
TEST_F(ArchiveWindowTest, AClickOnTheDrivesRoadFindsItsPassWithItsPictureAndPlaysIt)
{
    const archive::TrackPoint* at = passPoint(*window);
    ASSERT_NE(at, nullptr);
    ASSERT_TRUE(waitFor([] { return window->mapView()->isReady(); }));
    QSignalSpy asked(window->mapView(), &archivewin::ArchiveMapView::searchAsked);
    ASSERT_TRUE(waitFor([&] {
        return clickMapAt(*window, at->latitude, at->longitude)
            && (asked.count() > 0 || asked.wait(2000));
    }));
    ASSERT_TRUE(waitFor([] { return settled(*window) && !window->found().empty(); }));
    // The click lands within a pixel or two of the place: the circle of 100 m holds it.
    const QList<QVariant> click = asked.takeFirst();
    EXPECT_LT(drive::greatCircleMetres(
                  click[0].toDouble(), click[1].toDouble(), at->latitude, at->longitude),
        30.0);

    // The pass's closest second lies where the road is nearest the click.
    bool foundThePass = false;
    for (const archive::Moment& m : window->found()) {
        if (m.recording == at->recording && std::abs(m.second - at->second) <= 3)
            foundThePass = true;
    }
    ASSERT_TRUE(foundThePass);
    ASSERT_EQ(window->resultList()->count(), int(window->found().size()));
    // The pictures follow the list: decoded, kept in the cache, shown as the rows' icons.
    ASSERT_TRUE(waitFor([] { return settled(*window); }, 60000));
    archivewin::ThumbnailCache cache;
    for (int row = 0; row < window->resultList()->count(); ++row) {
        const archive::Moment& m = window->found()[size_t(row)];
        EXPECT_FALSE(cache.cached(m.recording, m.second).isNull()) << row;
        EXPECT_FALSE(window->resultList()->item(row)->icon().isNull());
    }

    QSignalSpy played(window.get(), &ArchiveWindow::playRequested);
    int row = 0;
    while (window->found()[size_t(row)].recording != at->recording)
        ++row;
    const QPoint rowCentre
        = window->resultList()->visualItemRect(window->resultList()->item(row)).center();
    QTest::mouseClick(window->resultList()->viewport(), Qt::LeftButton, {}, rowCentre);
    QTest::mouseDClick(window->resultList()->viewport(), Qt::LeftButton, {}, rowCentre);
    ASSERT_TRUE(played.count() > 0 || played.wait(5000));
    const QList<QVariant> args = played.takeFirst();
    EXPECT_EQ(args[0].toStringList(), window->shownDrive()->recordings);
    EXPECT_EQ(args[1].toString(), at->recording);
    EXPECT_DOUBLE_EQ(args[2].toDouble(), std::max(0, window->found()[size_t(row)].second - 5));
}

// What the map's page tells of a double-click on an event's marker plays that event; what is
// garbled is left alone.
TEST_F(ArchiveWindowTest, AnEventsMarkerPlaysItsMomentAndGarbledWordsFromThePageDoNothing)
{
    const auto& events = window->shownDrive()->events;
    ASSERT_GE(events.size(), 2u);
    QSignalSpy played(window.get(), &ArchiveWindow::playRequested);
    QSignalSpy asked(window->mapView(), &archivewin::ArchiveMapView::searchAsked);
    for (const char* garbled : {"zyn:play event x", "zyn:play event", "zyn:search 55.7 north 100",
             "zyn:search 55.7 37.6", "play event 1", "zyn:launch event 1"})
        window->mapView()->onPageMessage(QString::fromLatin1(garbled));
    EXPECT_EQ(played.count(), 0);
    EXPECT_EQ(asked.count(), 0);

    window->mapView()->onPageMessage(QStringLiteral("zyn:play event 1"));
    ASSERT_EQ(played.count(), 1);
    EXPECT_EQ(played[0][0].toStringList(), window->shownDrive()->recordings);
    EXPECT_EQ(played[0][1].toString(), events[1].recording);
    EXPECT_DOUBLE_EQ(played[0][2].toDouble(), std::max(0, events[1].second - 5));
    // A marker past the end of the list is no event.
    window->mapView()->onPageMessage(QStringLiteral("zyn:play event 999"));
    EXPECT_EQ(played.count(), 1);

    // The circle's edge dragged out to 250 m: the radius the page tells is the one searched.
    const archive::TrackPoint* at = passPoint(*window);
    ASSERT_NE(at, nullptr);
    window->mapView()->onPageMessage(QStringLiteral("zyn:search %1 %2 250")
                                         .arg(at->latitude, 0, 'f', 6)
                                         .arg(at->longitude, 0, 'f', 6));
    ASSERT_TRUE(waitFor([] { return settled(*window); }));
    EXPECT_EQ(window->findChild<QSpinBox*>(QStringLiteral("radius"))->value(), 250);
    ASSERT_FALSE(window->found().empty());
    for (const archive::Moment& m : window->found())
        EXPECT_LE(m.distanceMetres, 250.0);
}

TEST_F(ArchiveWindowTest, TheFiltersNarrowTheSearchToAnEventKindAndToDates)
{
    const archive::TrackPoint* at = passPoint(*window);
    ASSERT_NE(at, nullptr);
    auto* kind = window->findChild<QComboBox*>(QStringLiteral("kind"));
    kind->setCurrentIndex(kind->findData(QStringLiteral("braking")));
    window->search(at->latitude, at->longitude, 3000);
    ASSERT_TRUE(waitFor([] { return settled(*window); }));
    ASSERT_FALSE(window->found().empty());
    for (const archive::Moment& m : window->found())
        EXPECT_EQ(m.match, QStringLiteral("braking"));
    kind->setCurrentIndex(0);

    auto* dates = window->findChild<QCheckBox*>(QStringLiteral("useDates"));
    window->findChild<QDateEdit*>(QStringLiteral("from"))->setDate(kDemoDay.addDays(1));
    window->findChild<QDateEdit*>(QStringLiteral("to"))->setDate(kDemoDay.addDays(30));
    dates->setChecked(true);
    window->search(at->latitude, at->longitude, 3000);
    ASSERT_TRUE(waitFor([] { return settled(*window); }));
    EXPECT_TRUE(window->found().empty());

    window->findChild<QDateEdit*>(QStringLiteral("from"))->setDate(kDemoDay);
    window->search(at->latitude, at->longitude, 3000);
    ASSERT_TRUE(waitFor([] { return settled(*window); }));
    EXPECT_FALSE(window->found().empty());
    dates->setChecked(false);
}

TEST_F(ArchiveWindowTest, TypedCoordinatesSearchAndWhatIsNoPlaceIsRefusedWithAHint)
{
    EXPECT_EQ(ArchiveWindow::parsePlace(QStringLiteral("55.7512, 37.6184")),
        std::make_pair(55.7512, 37.6184));
    EXPECT_EQ(ArchiveWindow::parsePlace(QStringLiteral("55,7512; 37,6184")),
        std::make_pair(55.7512, 37.6184));
    EXPECT_EQ(
        ArchiveWindow::parsePlace(QStringLiteral(" -33.9 151.2 ")), std::make_pair(-33.9, 151.2));
    EXPECT_FALSE(ArchiveWindow::parsePlace(QStringLiteral("91, 37")));
    EXPECT_FALSE(ArchiveWindow::parsePlace(QStringLiteral("55.75")));
    EXPECT_FALSE(ArchiveWindow::parsePlace(QStringLiteral("Tverskaya street")));

    EXPECT_FALSE(window->searchTyped(QStringLiteral("Tverskaya street"), 100));
    EXPECT_EQ(window->statusText(), QString(strings::kArchivePlaceInvalid));

    const archive::TrackPoint* at = passPoint(*window);
    ASSERT_NE(at, nullptr);
    EXPECT_TRUE(window->searchTyped(
        QStringLiteral("%1, %2").arg(at->latitude, 0, 'f', 6).arg(at->longitude, 0, 'f', 6), 50));
    ASSERT_TRUE(waitFor([] { return settled(*window); }));
    EXPECT_FALSE(window->found().empty());
}

// A fleet's archive: the viewer's configuration names the PostgreSQL database, and the window
// shows what zyn-archive imported into it.
TEST(ArchiveWindowOnPostgreSQL, TheDatabaseNamedInTheConfigurationIsTheOneShown)
{
    QString error;
    archivetest::PostgresServer* server = archivetest::PostgresServer::shared(&error);
    ASSERT_NE(server, nullptr) << error.toStdString();
    const QString database = server->createDatabase(&error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    archivewintest::ImportedArchive imported(database);
    ASSERT_TRUE(imported.isValid());

    ASSERT_TRUE(platform::Registry::write(QLatin1String(viewer_config::kKey),
        QLatin1String(archivewin::kLocationValueName),
        archivewin::formatLocation(imported.location()).toUtf8()));
    const archivewin::ArchiveLocation stored = archivewin::storedLocation();
    EXPECT_EQ(stored.database, database);
    auto window = openWindow(stored);
    ASSERT_TRUE(waitFor([&] { return settled(*window) && window->shownDrive(); }));
    platform::Registry::remove(
        QLatin1String(viewer_config::kKey), QLatin1String(archivewin::kLocationValueName));
    EXPECT_EQ(window->markedDays(), std::vector<QDate>{kDemoDay});
    EXPECT_EQ(window->driveList()->topLevelItemCount(), 1);

    const archive::TrackPoint* at = passPoint(*window);
    ASSERT_NE(at, nullptr);
    window->search(at->latitude, at->longitude, 100);
    ASSERT_TRUE(waitFor([&] { return settled(*window) && !window->found().empty(); }));
    EXPECT_TRUE(std::any_of(window->found().begin(), window->found().end(),
        [&](const archive::Moment& m) { return m.recording == at->recording; }));
}

TEST(ArchiveWindowUnopened, AnArchiveThatCannotBeOpenedIsSaidSo)
{
    archivewintest::ImportedArchive none({}, false);
    ASSERT_TRUE(none.isValid());
    // A server that is not there.
    auto window = openWindow({none.root(), QStringLiteral("postgresql://nobody@127.0.0.1:1/none")});
    ASSERT_TRUE(waitFor([&] { return settled(*window); }));
    EXPECT_TRUE(window->statusText().startsWith(
        QString(strings::kArchiveCannotOpen).section(QLatin1Char('%'), 0, 0)));
    EXPECT_EQ(window->driveList()->topLevelItemCount(), 0);
}

} // namespace
