// The map in the main window with the real player library and a real browser: shown when a
// recording opens on line, with the recording's route, moved by the panel timer, stepping
// aside for the settings popup, and off line replaced by the map area's text. No network is
// used: the map shows an empty layer.
#include "PlayingFixture.h"

#include "../map/WebViewSupport.h"

#include "map/CGoogleMap.h"
#include "map/MapRoute.h"
#include "map/MapWindow.h"
#include "platform/Online.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>

namespace {

// The browser keeps its cache and data under the user's folders: here, a folder of the run.
const bool g_userFolders = [] {
    static QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    return true;
}();

class MapInWindowTest : public PlaybackTest
{
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        ASSERT_FALSE(eventCard().isEmpty()) << "zyn-cardgen could not write the demo card";
        ASSERT_NE(window->map(), nullptr);
        ASSERT_FALSE(window->map()->pagePath().isEmpty()) << "the page was written";
        window->map()->setTileSource(QStringLiteral("none"));
        platform::forceOnline(true);
    }
    void TearDown() override
    {
        PlaybackTest::TearDown();
        platform::forceOnline(false);
    }

    MapWindow* map() const { return window->map(); }
    bool mapVisible() const { return map()->exists() && map()->window()->isVisible(); }
    QVariant js(const QString& script)
    {
        return maptest::evaluate(map()->window()->page(), script);
    }
    // Waits until the map window's page has made its map.
    void waitForMap()
    {
        ASSERT_TRUE(maptest::waitUntil([&] { return map()->exists(); }, 5000));
        ASSERT_TRUE(maptest::waitUntil([&] { return map()->window()->isPageReady(); }));
        ASSERT_TRUE(maptest::waitUntil(
            [&] { return js(QStringLiteral("typeof map == 'object' && map != null")).toBool(); }));
    }
    mapview::RoutePoint marker()
    {
        const QVariantList at
            = js(QStringLiteral("[marker.getLatLng().lat(), marker.getLatLng().lng()]")).toList();
        return {at.value(0).toDouble(), at.value(1).toDouble()};
    }
};

bool onRoute(const mapview::RoutePoint& point, const mapview::Route& route)
{
    for (const mapview::RoutePoint& p : route)
        if (std::fabs(p.latitude - point.latitude) < 1e-6
            && std::fabs(p.longitude - point.longitude) < 1e-6)
            return true;
    return false;
}

TEST_F(MapInWindowTest, ARecordingOpenedOnLineShowsItsRouteAndTheMarkerFollowsIt)
{
    play(kEvt);
    ASSERT_TRUE(map()->exists()) << "the first map comes at once";
    EXPECT_EQ(map()->window()->parentWidget(), window.get());
    EXPECT_EQ(map()->window()->geometry(), QRect(684, 122, 310, 410));
    EXPECT_TRUE(mapVisible());
    EXPECT_FALSE(window->telemetryPanel().noInternetShown());

    const mapview::Route route = mapview::routeOfRecording(cardFile(kEvt));
    ASSERT_EQ(route.size(), 9) << "the records with a fix";
    EXPECT_EQ(map()->route(), route);
    waitForMap();
    ASSERT_TRUE(maptest::waitUntil(
        [&] { return js(QStringLiteral("zynRoutePoints().length")).toInt() == route.size(); }));

    // The panel timer moves the marker along the route.
    ASSERT_TRUE(maptest::waitUntil([&] { return marker().latitude != 0; }, 5000));
    EXPECT_TRUE(onRoute(marker(), route));
    const mapview::RoutePoint first = marker();
    ASSERT_TRUE(maptest::waitUntil([&] { return !(marker() == first); }, 5000))
        << "the marker moves on with the recording";
    EXPECT_TRUE(onRoute(marker(), route));

    // A recording without telemetry: a new map, and nothing of the last recording's position
    // is put on it.
    play(kPlain);
    // Held, so that its end does not move on to the next recording meanwhile.
    clickControl(1009);
    EXPECT_TRUE(map()->route().isEmpty());
    waitForMap();
    QTest::qWait(CKOB_PCMgrDlg::kPanelPeriodMs * 2);
    EXPECT_EQ(window->playList().currentPath(), cardFile(kPlain));
    EXPECT_EQ(marker(), (mapview::RoutePoint{0, 0}));
}

TEST_F(MapInWindowTest, PopupsHideTheMapUntilTheyClose)
{
    play(kDrf);
    waitForMap();
    ASSERT_TRUE(mapVisible());

    clickControl(1006);
    ASSERT_TRUE(popup()->isVisible());
    EXPECT_FALSE(mapVisible()) << "the settings popup";
    clickPopupButton(1045);
    EXPECT_TRUE(mapVisible()) << "back once the settings are closed";

    clickControl(1004);
    ASSERT_EQ(popup()->getMode(), SettingPopup::Capture);
    EXPECT_FALSE(mapVisible()) << "the capture popup";
    EXPECT_TRUE(window->isPaused());
    clickPopupButton(1045);
    EXPECT_TRUE(mapVisible()) << "back after the capture popup";
    EXPECT_FALSE(window->isPaused()) << "and playback goes on";

    // Stop takes the map away for good: a popup closing later does not bring it back.
    clickControl(1010);
    EXPECT_FALSE(mapVisible());
    clickControl(1006);
    clickPopupButton(1045);
    EXPECT_FALSE(mapVisible());

    // The next recording's map replaces the old one after the old one has gone.
    QPointer<CGoogleMap> old = map()->window();
    window->openRecordings({cardFile(kMuevt)});
    EXPECT_TRUE(map()->isCreationPending());
    EXPECT_FALSE(map()->exists()) << "the old map window goes first";
    EXPECT_TRUE(old.isNull());
    waitForMap();
    EXPECT_TRUE(mapVisible());
}

TEST_F(MapInWindowTest, OffLineTheMapAreaSaysSo)
{
    play(kDrf);
    waitForMap();
    const QRect text(684, 255, 310, 30);
    const auto redPixels = [&] {
        int red = 0;
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x)
                red += QColor(window->backBuffer().pixel(x, y)) == QColor(255, 0, 0);
        return red;
    };
    EXPECT_EQ(redPixels(), 0);

    // A recording opened off line shows the text, not the last recording's map.
    platform::forceOnline(false);
    play(kEvt);
    EXPECT_FALSE(mapVisible());
    EXPECT_TRUE(window->telemetryPanel().noInternetShown());
    EXPECT_GT(redPixels(), 50);

    // On line again, the next tick clears the text once; the next recording brings the map.
    platform::forceOnline(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->telemetryPanel().noInternetShown(); }, 3000));
    EXPECT_EQ(redPixels(), 0);
    play(kMuevt);
    waitForMap();
    EXPECT_TRUE(mapVisible());
}

TEST_F(MapInWindowTest, TheMapNeverKeepsTheKeyboard)
{
    play(kDrf);
    waitForMap();
    QWidget* browser = map()->window()->browser();
    window->activateWindow();
    // Keys as the system delivers them: to whatever holds the focus in the window.
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(window->windowHandle(), key);
        QTest::qWait(50);
    };
    const auto mapHasFocus = [&] {
        QWidget* focus = window->focusWidget();
        return focus && (focus == browser || browser->isAncestorOf(focus));
    };

    // A click on the map, as when it is dragged or zoomed, and the page's own focus request.
    QWidget* input = browser->focusProxy() ? browser->focusProxy() : browser;
    QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
    QTest::qWait(50);
    EXPECT_FALSE(mapHasFocus()) << "a click";
    press(Qt::Key_Space);
    EXPECT_TRUE(window->isPaused()) << "Space after a click on the map";

    input->setFocus(Qt::OtherFocusReason);
    QTest::qWait(50);
    EXPECT_FALSE(mapHasFocus()) << "the page's focus";
    press(Qt::Key_Space);
    EXPECT_FALSE(window->isPaused()) << "Space after the page took the focus";
    CommandLog::clear();
    press(Qt::Key_Right);
    EXPECT_EQ(CommandLog::last("seek"), "seek 1.00") << "Right";
}

} // namespace
