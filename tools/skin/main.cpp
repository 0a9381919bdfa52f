// zyn-skin OUTDIR: paints every skin bitmap of the viewer and writes OUTDIR/<id>.png.

#include "SkinTool.h"

#include "resources/Skin.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Painting needs no display; the offscreen platform keeps the tool usable headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zyn-skin OUTDIR\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "zyn-skin: cannot create %s\n", argv[1]);
        return 1;
    }

    using namespace skintool;
    registerFontFace();
    SkinSet skin;
    paintMainBackground(skin);
    paintLockScreen(skin);
    paintMainButtons(skin);
    paintBarsAndDigits(skin);
    paintIndicatorIcons(skin);
    paintPopupPieces(skin);

    // The viewer's own table is the reference: every id it names must come out at its size,
    // and nothing it does not name is written.
    int failures = 0;
    for (const skin::Entry& entry : skin::entries()) {
        const auto it = skin.all().find(entry.id);
        if (it == skin.all().end()) {
            std::fprintf(stderr, "zyn-skin: bitmap %d was not painted\n", entry.id);
            ++failures;
            continue;
        }
        if (it->second.size() != entry.size) {
            std::fprintf(stderr, "zyn-skin: bitmap %d is %dx%d, expected %dx%d\n", entry.id,
                it->second.width(), it->second.height(), entry.size.width(), entry.size.height());
            ++failures;
            continue;
        }
        const QString path = QDir(outDir).filePath(QStringLiteral("%1.png").arg(entry.id));
        if (!it->second.convertToFormat(QImage::Format_RGB888).save(path, "PNG")) {
            std::fprintf(stderr, "zyn-skin: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    if (skin.all().size() != size_t(skin::entries().size())) {
        std::fprintf(stderr, "zyn-skin: painted %zu bitmaps, the table has %lld\n",
            skin.all().size(), static_cast<long long>(skin::entries().size()));
        ++failures;
    }
    std::printf("zyn-skin: %lld bitmaps in %s (%s)\n",
        static_cast<long long>(skin::entries().size()), argv[1], qPrintable(fontFamily()));
    return failures == 0 ? 0 : 1;
}
