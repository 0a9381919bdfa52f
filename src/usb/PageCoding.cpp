#include "usb/PageCoding.h"

namespace page_coding {

QStringList numberEntries(int from, int to, int step)
{
    QStringList entries;
    for (int n = from; n <= to; n += step)
        entries << QString::number(n);
    return entries;
}

QString entryText(const QStringList& entries, int selection)
{
    return selection >= 0 && selection < entries.size() ? entries.at(selection) : QString();
}

} // namespace page_coding
