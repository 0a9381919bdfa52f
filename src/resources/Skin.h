#pragma once

#include <QImage>
#include <QList>
#include <QSize>

class QIcon;

namespace skin {

// The skin bitmap of a resource id in the language installed now (the English version of a
// bitmap that holds words, where there is one), loaded once and kept for the program's life. A
// null image for an id the skin does not have.
const QImage& bitmap(int id);

// The application icon (resource 128) in all its sizes.
QIcon appIcon();

// Every bitmap id of the skin with the size the windows draw it at.
struct Entry
{
    int id;
    QSize size;
};
const QList<Entry>& entries();

} // namespace skin
