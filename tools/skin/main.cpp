// zyn-skin OUTDIR: paints every skin bitmap of the viewer and writes OUTDIR/<id>.png.
// zyn-skin --english OUTDIR: writes only the bitmaps that hold words, painted in English, for
// the viewer's English face (the others are the same in both languages).

#include "SkinTool.h"

#include "resources/Skin.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Painting needs no display; the offscreen platform keeps the tool usable headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool english = argc == 3 && std::strcmp(argv[1], "--english") == 0;
    if (argc != 2 && !english) {
        std::fprintf(stderr, "usage: zyn-skin [--english] OUTDIR\n");
        return 2;
    }
    const char* outArgument = argv[argc - 1];
    const QString outDir = QString::fromLocal8Bit(outArgument);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "zyn-skin: cannot create %s\n", outArgument);
        return 1;
    }

    using namespace skintool;
    registerFontFace();
    const auto paintAll = [] {
        SkinSet set;
        paintMainBackground(set);
        paintLockScreen(set);
        paintMainButtons(set);
        paintBarsAndDigits(set);
        paintIndicatorIcons(set);
        paintPopupPieces(set);
        return set;
    };
    SkinSet skin = paintAll();
    if (english) {
        paintEnglish = true;
        const SkinSet words = paintAll();
        int written = 0;
        for (const auto& [id, image] : words.all()) {
            const auto russian = skin.all().find(id);
            if (russian != skin.all().end() && russian->second == image)
                continue;
            const QString path = QDir(outDir).filePath(QStringLiteral("%1.png").arg(id));
            if (!image.convertToFormat(QImage::Format_RGB888).save(path, "PNG")) {
                std::fprintf(stderr, "zyn-skin: cannot write %s\n", qPrintable(path));
                return 1;
            }
            ++written;
        }
        std::printf("zyn-skin: %d bitmaps with English words in %s\n", written, outArgument);
        return 0;
    }

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
        static_cast<long long>(skin::entries().size()), outArgument, qPrintable(fontFamily()));
    return failures == 0 ? 0 : 1;
}
