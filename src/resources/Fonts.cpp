#include "resources/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace fonts {

namespace {

QString g_family;

constexpr const char* kTahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/fonts/truetype/wine/tahoma.ttf",
};

} // namespace

QString registerFonts()
{
    if (!g_family.isEmpty())
        return g_family;
    for (const char* path : kTahomaFiles) {
        if (!QFile::exists(QString::fromLatin1(path)))
            continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) {
            g_family = families.first();
            return g_family;
        }
    }
    g_family = QStringLiteral("DejaVu Sans");
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
