#include "resources/Skin.h"

#include "resources/Language.h"

#include <QHash>
#include <QIcon>
#include <QMutex>

#include <initializer_list>

namespace skin {

const QImage& bitmap(int id)
{
    static QMutex mutex;
    // By language and id: the bitmaps that hold words have an English version of their own.
    static QHash<QPair<int, int>, QImage> cache;
    QMutexLocker lock(&mutex);
    const strings::Language language = strings::language();
    const QPair<int, int> key(int(language), id);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QImage image;
        if (language == strings::Language::English)
            image = QImage(QStringLiteral(":/skin/en/%1.png").arg(id));
        if (image.isNull())
            image = QImage(QStringLiteral(":/skin/%1.png").arg(id));
        if (!image.isNull())
            image = image.convertToFormat(QImage::Format_RGB32);
        it = cache.insert(key, image);
    }
    return *it;
}

QIcon appIcon()
{
    return QIcon(QStringLiteral(":/skin/128.png"));
}

namespace {

void addRange(QList<Entry>& list, std::initializer_list<int> ids, QSize size)
{
    for (int id : ids)
        list.append({id, size});
}

QList<Entry> makeEntries()
{
    QList<Entry> list;
    // Main window: background, lock screen and the pieces its own drawing copies.
    addRange(list, {128}, {32, 32});
    addRange(list, {129}, {440, 300});
    addRange(list, {130}, {1020, 780});
    addRange(list, {131, 132, 133, 134, 135, 136, 137, 138, 139}, {40, 40});
    addRange(list, {181, 183}, {5, 8});
    addRange(list, {182}, {1, 8});
    addRange(list, {184}, {33, 20});
    addRange(list, {185, 186, 187}, {65, 10});
    addRange(list, {191, 192, 193}, {25, 20});
    addRange(list, {194}, {23, 20});
    addRange(list, {195, 196, 302}, {14, 14});
    addRange(list, {205, 206}, {15, 13});
    addRange(list, {243, 244, 245, 246, 247, 248, 249, 250, 251, 252}, {15, 31});
    addRange(list, {267}, {19, 19});
    // Main window buttons take the size of their control.
    addRange(list, {141, 142, 143, 144}, {45, 25});
    addRange(list, {145, 147, 149, 151, 157, 159, 235, 237, 274, 275}, {34, 34});
    addRange(list, {160, 162, 166, 168, 169, 171, 172, 174, 175, 177}, {30, 30});
    addRange(list, {178, 180}, {105, 22});
    addRange(list, {264, 265}, {74, 22});
    addRange(list, {240, 242}, {29, 29});
    addRange(list, {294}, {35, 36});
    // Popup buttons and pieces.
    addRange(list, {207, 209}, {45, 23});
    addRange(list, {210, 212, 220, 222, 223, 225, 228, 230}, {86, 29});
    addRange(list, {213, 215}, {120, 27});
    addRange(list, {216, 217, 226, 227}, {25, 25});
    // The level control's track: the strip its 33-pixel thumb travels over (x 26 to 272,
    // y 84 to 104 of the settings popup).
    addRange(list, {233}, {246, 20});
    return list;
}

} // namespace

const QList<Entry>& entries()
{
    static const QList<Entry> all = makeEntries();
    return all;
}

} // namespace skin
