#include "resources/Strings.h"

#include <algorithm>
#include <iterator>

namespace strings {

namespace {

struct Entry
{
    int id;
    const char* text; // UTF-8
};

// Sorted by id.
constexpr Entry kTable[] = {
    {121, "Нет подключения к Интернету."},
    {145, "Не могу открыть GoogleMap."},
};

} // namespace

QString text(int id)
{
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
        [](const Entry& entry, int wanted) { return entry.id < wanted; });
    if (it == std::end(kTable) || it->id != id)
        return {};
    return QString::fromUtf8(it->text);
}

QList<int> ids()
{
    QList<int> all;
    for (const Entry& entry : kTable)
        all.append(entry.id);
    return all;
}

} // namespace strings
