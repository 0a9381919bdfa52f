#include "resources/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QString kWineTahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
const QString kWineTahomaBold = QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf");

// The pixel height a font gets on a device of the given logical resolution.
int pixelHeightAt(const QFont& font, int dotsPerInch)
{
    QImage device(8, 8, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    device.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    return QFontInfo(QFont(font, &device)).pixelSize();
}

} // namespace

TEST(FontsTest, RegistersWineTahomaWithCyrillic)
{
    if (!QFile::exists(kWineTahoma))
        GTEST_SKIP() << "fonts-wine is not installed";
    EXPECT_EQ(fonts::registerFonts(), QStringLiteral("Tahoma"));
    EXPECT_EQ(fonts::family(), QStringLiteral("Tahoma"));

    const QFont font = fonts::pointFont(140, 1.0);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Tahoma"));
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x0418))); // И
    EXPECT_TRUE(QFontDatabase::styles(QStringLiteral("Tahoma")).contains(QStringLiteral("Bold")));
}

TEST(FontsTest, FallsBackToDejaVuSansWithoutTahoma)
{
    QFontDatabase::removeAllApplicationFonts();
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        GTEST_SKIP() << "the system itself has a Tahoma";

    EXPECT_EQ(fonts::registerFontsFrom({QStringLiteral("/nonexistent/tahoma.ttf")}),
        QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(fonts::family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(QFontInfo(fonts::pointFont(120, 1.0)).family(), QStringLiteral("DejaVu Sans"));
    // Asking for the face by name lands on the fallback too.
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Tahoma"))).family(), QStringLiteral("DejaVu Sans"));

    if (QFile::exists(kWineTahoma)) {
        EXPECT_EQ(
            fonts::registerFontsFrom({kWineTahoma, kWineTahomaBold}), QStringLiteral("Tahoma"));
    }
}

TEST(FontsTest, PointFontDividesTenthsByTheScaleFactor)
{
    EXPECT_DOUBLE_EQ(fonts::pointFont(150, 1.25).pointSizeF(), 12.0);
    EXPECT_DOUBLE_EQ(fonts::pointFont(150, 1.0).pointSizeF(), 15.0);
    EXPECT_DOUBLE_EQ(fonts::pointFont(100, 2.0).pointSizeF(), 5.0);
    EXPECT_DOUBLE_EQ(fonts::pointFont(120, 0.0).pointSizeF(), 12.0); // no screen: no scaling
    EXPECT_EQ(fonts::pointFont(120).family(), fonts::family());
    EXPECT_GT(fonts::scaleFactor(), 0.0);

    // The point of the division: the same pixel height at 96 and at 120 dots per inch.
    EXPECT_EQ(pixelHeightAt(fonts::pointFont(150, 1.0), 96),
        pixelHeightAt(fonts::pointFont(150, 1.25), 120));
    EXPECT_EQ(pixelHeightAt(fonts::pointFont(150, 1.0), 96), 20);
}
