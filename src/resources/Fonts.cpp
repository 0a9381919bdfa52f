#include "resources/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace fonts {

namespace {

QString g_family;

const QLatin1String kTahoma("Tahoma");
const QLatin1String kFallback("DejaVu Sans");

QStringList systemTahomaFiles()
{
    return {
        QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
        QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"),
        QStringLiteral("/usr/share/fonts/truetype/wine/tahoma.ttf"),
        QStringLiteral("/usr/share/fonts/truetype/wine/tahomabd.ttf"),
    };
}

} // namespace

QString registerFonts()
{
    if (g_family.isEmpty())
        registerFontsFrom(systemTahomaFiles());
    return g_family;
}

QString registerFontsFrom(const QStringList& tahomaFiles)
{
    bool haveTahoma = QFontDatabase::hasFamily(kTahoma);
    for (const QString& path : tahomaFiles) {
        if (!QFile::exists(path))
            continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (QFontDatabase::applicationFontFamilies(id).contains(kTahoma))
            haveTahoma = true;
    }
    // Code that asks for "Tahoma" by name gets the fallback too, rather than whatever face
    // the font matcher would pick, which may lack Cyrillic.
    if (haveTahoma)
        QFont::removeSubstitutions(kTahoma);
    else
        QFont::insertSubstitution(kTahoma, kFallback);
    g_family = haveTahoma ? QString(kTahoma) : QString(kFallback);
    return g_family;
}

QString family()
{
    return g_family.isEmpty() ? registerFonts() : g_family;
}

qreal scaleFactor()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

QFont pointFont(int tenthsOfPoint, qreal scale)
{
    QFont font(family());
    font.setPointSizeF(tenthsOfPoint / 10.0 / (scale > 0 ? scale : 1.0));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont pixelFont(int pixels)
{
    QFont font(family());
    font.setPixelSize(pixels);
    return font;
}

} // namespace fonts
