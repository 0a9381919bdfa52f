// The map window on a real browser, offscreen and without a network: the page is written into a
// temporary folder, Leaflet comes from where the system package puts it, and the map has no
// tiles (or tiles from a server on this machine).
#include "WebViewSupport.h"

#include "map/CGoogleMap.h"
#include "map/MapPage.h"
#include "map/MapWindow.h"
#include "platform/Dialogs.h"
#include "resources/Strings.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <clocale>
#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

using maptest::evaluate;
using maptest::waitUntil;

namespace {

constexpr char kMarkerAndView[] = "[marker.getLatLng().lat(), marker.getLatLng().lng(), "
                                  "map.getCenter().lat(), map.getCenter().lng(), map.getZoom()]";

QList<double> numbers(const QVariant& value)
{
    QList<double> out;
    for (const QVariant& item : value.toList())
        out << item.toDouble();
    return out;
}

// The page receives seven decimals (about a centimetre).
bool sameRoute(const mapview::Route& a, const mapview::Route& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (std::fabs(a[i].latitude - b[i].latitude) > 1e-7
            || std::fabs(a[i].longitude - b[i].longitude) > 1e-7)
            return false;
    return true;
}

class MapWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        owner = std::make_unique<QWidget>();
        owner->resize(1020, 780);
        owner->show();
        map = std::make_unique<MapWindow>(nullptr, QString());
        map->setTileSource(QStringLiteral("none"));
        map->setLinkOpener([this](const QUrl& url) { opened << url; });
        ASSERT_EQ(map->writePage(dir.path(), {}), 0);
    }

    void TearDown() override
    {
        map.reset();
        owner.reset();
    }

    QWebEnginePage* page() const { return map->window()->page(); }

    QVariant js(const QString& script) { return evaluate(page(), script); }

    // Shows a new map window (now or after the recreation wait) and waits until the page's map
    // object exists.
    void showMap(QWidget* parent)
    {
        QSignalSpy ready(map.get(), &MapWindow::pageReady);
        map->showNew(parent);
        ASSERT_TRUE(waitUntil([&] { return ready.count() > 0; })) << "the page did not load";
        ASSERT_TRUE(waitUntil([&] {
            return js(QStringLiteral("typeof map == 'object' && map != null")).toBool();
        })) << "the map was not made";
    }

    QTemporaryDir dir;
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<MapWindow> map;
    QList<QUrl> opened;
};

// The user's locale as a program adopts it, here one with a decimal comma.
class DecimalCommaLocale
{
public:
    DecimalCommaLocale()
    {
        m_previous = std::setlocale(LC_NUMERIC, nullptr);
        std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    ~DecimalCommaLocale()
    {
        std::setlocale(LC_NUMERIC, m_previous.c_str());
        QLocale::setDefault(QLocale::c());
    }

private:
    std::string m_previous;
};

} // namespace

TEST_F(MapWindowTest, UpdatesWaitForTheLoadedPageThenMoveMarkerAndCentreKeepingTheZoom)
{
    map->showNew(owner.get());
    ASSERT_TRUE(map->exists()) << "no window to destroy, so no wait";
    CGoogleMap* window = map->window();
    EXPECT_EQ(window->parentWidget(), owner.get());
    EXPECT_EQ(window->geometry(), QRect(684, 122, 310, 410));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(map->updatePosition(37.5, -122.25)) << "the page is still loading";

    QSignalSpy ready(map.get(), &MapWindow::pageReady);
    ASSERT_TRUE(waitUntil([&] { return ready.count() > 0; }));
    ASSERT_TRUE(waitUntil(
        [&] { return js(QStringLiteral("typeof map == 'object' && map != null")).toBool(); }));
    EXPECT_EQ(numbers(js(QLatin1String(kMarkerAndView))), (QList<double>{0, 0, 0, 0, 15}))
        << "the page starts at the position lines written with zeros";

    {
        DecimalCommaLocale locale;
        EXPECT_TRUE(map->updatePosition(37.5, -122.25));
    }
    ASSERT_TRUE(waitUntil([&] { return js(QStringLiteral("marker.getLatLng().lat()")) == 37.5; }));
    EXPECT_EQ(numbers(js(QLatin1String(kMarkerAndView))),
        (QList<double>{37.5, -122.25, 37.5, -122.25, 15}));

    // The user zooms out; the next position keeps that zoom.
    EXPECT_EQ(js(QStringLiteral("map._map.setZoom(12, {animate: false}); map.getZoom()")), 12);
    EXPECT_TRUE(map->updatePosition(37.75, -122.5));
    ASSERT_TRUE(waitUntil([&] { return js(QStringLiteral("marker.getLatLng().lat()")) == 37.75; }));
    EXPECT_EQ(numbers(js(QLatin1String(kMarkerAndView))),
        (QList<double>{37.75, -122.5, 37.75, -122.5, 12}));
    EXPECT_EQ(js(QStringLiteral("document.querySelectorAll('.leaflet-marker-icon').length")), 1);
}

TEST_F(MapWindowTest, NoFixAndNonNumbersLeaveTheMarkerWhereItIs)
{
    showMap(owner.get());
    ASSERT_TRUE(map->updatePosition(55.75, 37.625));
    ASSERT_TRUE(waitUntil([&] { return js(QStringLiteral("marker.getLatLng().lat()")) == 55.75; }));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(map->updatePosition(0, 0));
    EXPECT_FALSE(map->updatePosition(nan, 37.625));
    EXPECT_FALSE(map->updatePosition(55.75, std::numeric_limits<double>::infinity()));
    // The page itself refuses them too, and a decimal comma.
    EXPECT_EQ(js(QStringLiteral("try { updateMap('0.000000', '0.000000');"
                                " updateMap('37,500000', '-122,250000'); updateMap('NaN', '1');"
                                " 'ok' } catch (e) { 'error: ' + e }")),
        QStringLiteral("ok"));
    EXPECT_EQ(numbers(js(QLatin1String(kMarkerAndView))),
        (QList<double>{55.75, 37.625, 55.75, 37.625, 15}));
    EXPECT_EQ(js(QStringLiteral("document.querySelectorAll('.leaflet-marker-icon').length")), 1);
}

TEST_F(MapWindowTest, UpdateBeforeTheMapExistsDoesNothingAndTheWaitEndsWithTheFailureText)
{
    // A script that never provides the interface, as a map provider that does not answer.
    QFile script(QDir(dir.path()).filePath(QStringLiteral("zynmap.js")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("// nothing arrives\n");
    script.close();
    QSignalSpy ready(map.get(), &MapWindow::pageReady);
    map->showNew(owner.get());
    ASSERT_TRUE(waitUntil([&] { return ready.count() > 0; }));

    EXPECT_TRUE(map->updatePosition(37.5, -122.25)) << "the page is complete";
    EXPECT_EQ(js(QStringLiteral("try { updateMap('37.500000', '-122.250000'); typeof map }"
                                " catch (e) { 'error: ' + e }")),
        QStringLiteral("undefined"));
    // 25 tries of 200 ms.
    EXPECT_TRUE(waitUntil(
        [&] {
            return js(QStringLiteral("document.body ? document.body.innerText : ''"))
                .toString()
                .contains(QLatin1String("Failed to load Google Maps API"));
        },
        20000));
    EXPECT_EQ(js(QStringLiteral("iterations")), 25);
}

TEST_F(MapWindowTest, RecreatingWaitsOnATimerWhileTheWindowGoesOn)
{
    showMap(owner.get());
    for (int round = 0; round < 2; ++round) {
        QPointer<CGoogleMap> old = map->window();
        QSignalSpy created(map.get(), &MapWindow::windowCreated);
        bool eventLoopRan = false;
        map->showNew(owner.get());
        EXPECT_TRUE(old.isNull()) << "the old window goes at once";
        EXPECT_FALSE(map->exists());
        EXPECT_TRUE(map->isCreationPending());
        EXPECT_FALSE(map->updatePosition(37.5, -122.25)) << "no window: the update is dropped";
        QTimer::singleShot(0, [&] { eventLoopRan = created.isEmpty(); });
        ASSERT_TRUE(waitUntil([&] { return !created.isEmpty(); }, 10000));
        EXPECT_TRUE(eventLoopRan) << "the main window ran on during the wait";
        EXPECT_EQ(map->window()->geometry(), QRect(684, 122, 310, 410));
        EXPECT_TRUE(map->window()->isVisible());
        QSignalSpy ready(map.get(), &MapWindow::pageReady);
        ASSERT_TRUE(waitUntil([&] { return ready.count() > 0; })) << round;
    }

    // A popup hides the map while the new one is on its way: it comes hidden, and shows again.
    map->showNew(owner.get());
    map->hide();
    QSignalSpy created(map.get(), &MapWindow::windowCreated);
    ASSERT_TRUE(waitUntil([&] { return !created.isEmpty(); }, 10000));
    EXPECT_FALSE(map->window()->isVisible());
    map->show();
    EXPECT_TRUE(map->window()->isVisible());
}

TEST_F(MapWindowTest, RouteIsDrawnUnderTheMarkerOnEveryNewWindow)
{
    mapview::Route route;
    for (int i = 0; i < 20; ++i)
        route.append({55.7558 + i * 0.0004, 37.6173 + i * 0.0007});
    map->setRoute(route); // before the window: it waits for the page
    showMap(owner.get());

    const auto drawn = [&] {
        mapview::Route points;
        for (const QVariant& point : js(QStringLiteral("zynRoutePoints()")).toList())
            points.append({point.toList().value(0).toDouble(), point.toList().value(1).toDouble()});
        return points;
    };
    ASSERT_TRUE(waitUntil([&] { return drawn().size() == route.size(); }));
    EXPECT_TRUE(sameRoute(drawn(), route));
    EXPECT_TRUE(sameRoute(mapview::Route{{js(QStringLiteral("map.getCenter().lat()")).toDouble(),
                              js(QStringLiteral("map.getCenter().lng()")).toDouble()}},
        route.mid(0, 1)))
        << "before the first position the map shows where the drive starts";
    EXPECT_LT(js(QStringLiteral("+getComputedStyle(document.querySelector('.leaflet-overlay-pane'))"
                                ".zIndex"))
                  .toInt(),
        js(QStringLiteral("+getComputedStyle(document.querySelector('.leaflet-marker-pane'))"
                          ".zIndex"))
            .toInt())
        << "the route lies under the marker";

    map->setRoute({});
    EXPECT_TRUE(waitUntil([&] { return drawn().isEmpty(); }));

    // The next recording's route on the next window.
    route.removeLast();
    map->setRoute(route);
    showMap(owner.get());
    EXPECT_TRUE(waitUntil([&] { return sameRoute(drawn(), route); }));
}

TEST_F(MapWindowTest, TheDrivesRouteLiesUnderTheRecordingsWhicheverCameFirst)
{
    mapview::Route drive;
    for (int i = 0; i < 60; ++i)
        drive.append({55.7558 + i * 0.0004, 37.6173 + i * 0.0007});
    const mapview::Route route = drive.mid(20, 20);
    map->setDriveRoute(drive); // before the window: both wait for the page
    map->setRoute(route);
    showMap(owner.get());

    const auto points = [&](const char* function) {
        mapview::Route drawn;
        for (const QVariant& point : js(QString::fromLatin1(function)).toList())
            drawn.append({point.toList().value(0).toDouble(), point.toList().value(1).toDouble()});
        return drawn;
    };
    ASSERT_TRUE(waitUntil([&] { return points("zynDriveRoutePoints()").size() == drive.size(); }));
    EXPECT_TRUE(sameRoute(points("zynDriveRoutePoints()"), drive));
    EXPECT_TRUE(sameRoute(points("zynRoutePoints()"), route));
    const QString strokes = QStringLiteral(
        "Array.from(document.querySelectorAll('.leaflet-overlay-pane path'))"
        ".map(function (p) { return p.getAttribute('stroke'); }).join(' ')");
    EXPECT_EQ(js(strokes).toString(), QStringLiteral("#f2b38a #e4572e"))
        << "the recording's route is drawn over the drive's";

    // The next recording's route, sent alone, still lands on top.
    map->setRoute(drive.mid(40, 10));
    EXPECT_TRUE(waitUntil([&] { return points("zynRoutePoints()").size() == 10; }));
    EXPECT_EQ(js(strokes).toString(), QStringLiteral("#f2b38a #e4572e"));
    map->setDriveRoute({});
    EXPECT_TRUE(waitUntil([&] { return points("zynDriveRoutePoints()").isEmpty(); }));
    EXPECT_EQ(points("zynRoutePoints()").size(), 10);
}

TEST_F(MapWindowTest, LinksGoToTheSystemBrowserAndTheMapStays)
{
    showMap(owner.get());
    const QUrl pageUrl = page()->url();
    js(QStringLiteral("document.querySelector('.leaflet-control-attribution a').click()"));
    ASSERT_TRUE(waitUntil([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened.value(0).host(), QStringLiteral("leafletjs.com"));

    js(QStringLiteral("window.open('https://www.openstreetmap.org/copyright')"));
    ASSERT_TRUE(waitUntil([&] { return opened.size() == 2; }));
    EXPECT_EQ(opened.value(1), QUrl(QStringLiteral("https://www.openstreetmap.org/copyright")));
    js(QStringLiteral(
        "var w = window.open(''); w.location.href = 'https://www.openstreetmap.org/';"));
    ASSERT_TRUE(waitUntil([&] { return opened.size() == 3; }));
    EXPECT_EQ(opened.value(2), QUrl(QStringLiteral("https://www.openstreetmap.org/")));

    // Local files and navigations the user did not ask for go nowhere.
    js(QStringLiteral("var a = document.createElement('a'); a.href = 'file:///etc/hostname';"
                      " document.body.appendChild(a); a.click();"
                      " window.location.href = 'file:///etc/hostname';"));
    QTest::qWait(500);
    EXPECT_EQ(opened.size(), 3);
    EXPECT_EQ(page()->url(), pageUrl);
    EXPECT_EQ(js(QStringLiteral("typeof map")), QStringLiteral("object"));
}

TEST_F(MapWindowTest, KeysF5NeverReachesThePageAndEnterOrEscapeCloseNothing)
{
    // A main window that Enter or Escape would close, had the keys reached it.
    QDialog dialog;
    dialog.resize(1020, 780);
    QPushButton closeButton(QStringLiteral("OK"), &dialog);
    closeButton.setDefault(true);
    QObject::connect(&closeButton, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    showMap(&dialog);
    QWebEngineView* browser = map->window()->browser();
    EXPECT_EQ(browser->contextMenuPolicy(), Qt::NoContextMenu);
    js(QStringLiteral("window.keys = []; document.addEventListener('keydown',"
                      " function (e) { keys.push(e.keyCode); }, true)"));
    dialog.activateWindow();
    browser->setFocus();
    QWidget* input = browser->focusProxy();
    ASSERT_NE(input, nullptr);
    for (Qt::Key key : {Qt::Key_F5, Qt::Key_Escape, Qt::Key_Return, Qt::Key_A})
        QTest::keyClick(input, key);
    ASSERT_TRUE(waitUntil([&] { return js(QStringLiteral("keys")).toList().contains(65); }))
        << "keys reach the page";
    QTest::qWait(300);
    const QVariantList keys = js(QStringLiteral("keys")).toList();
    EXPECT_FALSE(keys.contains(116)) << "F5 is swallowed";
    EXPECT_TRUE(keys.contains(27)) << "Escape goes to the page";
    EXPECT_TRUE(dialog.isVisible()) << "and closes nothing";
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(js(QStringLiteral("typeof map")), QStringLiteral("object"));
}

TEST_F(MapWindowTest, TileRequestsNameTheViewer)
{
    QTcpServer tiles;
    ASSERT_TRUE(tiles.listen(QHostAddress::LocalHost));
    QStringList requests;
    QObject::connect(&tiles, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = tiles.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &requests] {
                const QByteArray head = socket->peek(8192);
                if (!head.contains("\r\n\r\n"))
                    return;
                requests << QString::fromLatin1(socket->readAll());
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    map->setTileSource(
        QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(tiles.serverPort()));
    showMap(owner.get());
    ASSERT_TRUE(map->updatePosition(55.75, 37.625));
    ASSERT_TRUE(waitUntil([&] { return !requests.isEmpty(); }));
    const QString request = requests.first();
    EXPECT_TRUE(request.startsWith(QLatin1String("GET /15/"))) << request.toStdString();
    EXPECT_TRUE(request.contains(QRegularExpression(
        QStringLiteral("\r\nUser-Agent: [^\r]* ZYNViewer/\\d+\\.\\d+\\.\\d+\r\n"),
        QRegularExpression::CaseInsensitiveOption)))
        << request.toStdString();
    EXPECT_EQ(js(QStringLiteral("document.querySelector('.leaflet-control-attribution')"
                                ".textContent.indexOf('OpenStreetMap') >= 0")),
        true)
        << "the credit OpenStreetMap asks for";
}

TEST_F(MapWindowTest, MessageBoxOnlyWhenNeitherFolderCanHoldThePage)
{
    platform::RecordingMessageBox boxes;
    EXPECT_EQ(map->writePage(dir.path(), {}), 0);
    EXPECT_TRUE(boxes.texts.isEmpty());

    QFile plain(QDir(dir.path()).filePath(QStringLiteral("plain-file")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString blocked = plain.fileName() + QStringLiteral("/folder");
    EXPECT_EQ(map->writePage(blocked, blocked + QStringLiteral("/user")), 1);
    EXPECT_EQ(boxes.texts, QStringList{strings::text(145)});
    EXPECT_EQ(boxes.texts.value(0), QString::fromUtf8("Не могу открыть GoogleMap."));
    EXPECT_TRUE(map->pagePath().isEmpty());

    // Without a page the map window still comes, empty, and takes no updates.
    map->showNew(owner.get());
    ASSERT_TRUE(map->exists());
    QTest::qWait(300);
    EXPECT_FALSE(map->updatePosition(37.5, -122.25));
}
