// The script texts the viewer runs in the page.
#include "map/MapScript.h"

#include <QLocale>

#include <clocale>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

// The user's locale as a program adopts it: C library and Qt alike, here one with a decimal
// comma. scripts/install-deps generates it.
class DecimalCommaLocale
{
public:
    DecimalCommaLocale()
    {
        m_previous = std::setlocale(LC_NUMERIC, nullptr);
        m_adopted = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    ~DecimalCommaLocale()
    {
        std::setlocale(LC_NUMERIC, m_previous.c_str());
        QLocale::setDefault(QLocale::c());
    }
    bool adopted() const { return m_adopted; }

private:
    std::string m_previous;
    bool m_adopted = false;
};

} // namespace

TEST(MapScript, UpdateTextKeepsAFullStopUnderADecimalCommaLocale)
{
    DecimalCommaLocale locale;
    ASSERT_TRUE(locale.adopted()) << "ru_RU.UTF-8 is missing (scripts/install-deps makes it)";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 37.5);
    ASSERT_STREQ(probe, "37,500000") << "the locale in force writes a decimal comma";

    EXPECT_EQ(mapview::updateMapScript(37.5, -122.25),
        QStringLiteral("updateMap('37.500000', '-122.250000')"));
    EXPECT_EQ(mapview::routeScript({{55.7558, 37.6173}, {-33.5, -70.25}}),
        QStringLiteral("typeof zynShowRoute == 'function' ? "
                       "zynShowRoute([[55.7558000,37.6173000],[-33.5000000,-70.2500000]]) : -1"));
    EXPECT_EQ(mapview::routeScript({}),
        QStringLiteral("typeof zynShowRoute == 'function' ? zynShowRoute([]) : -1"));
}

TEST(MapScript, OnlyRealPositionsMoveTheMarker)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(mapview::isMapPosition(37.5, -122.25));
    EXPECT_TRUE(mapview::isMapPosition(0, 12.5)) << "on the equator";
    EXPECT_TRUE(mapview::isMapPosition(-90, 180));
    EXPECT_FALSE(mapview::isMapPosition(0, 0)) << "no fix";
    EXPECT_FALSE(mapview::isMapPosition(nan, 10));
    EXPECT_FALSE(mapview::isMapPosition(10, inf));
    EXPECT_FALSE(mapview::isMapPosition(-inf, 10));
    EXPECT_FALSE(mapview::isMapPosition(90.5, 10));
    EXPECT_FALSE(mapview::isMapPosition(10, -180.5));
}
