#pragma once

#include <QString>
#include <QStringList>

// Helpers shared by the USB tool's page models: a control can only show a value it has a
// button or an entry for, so a stored value without one reads back as "nothing chosen" (-1),
// exactly as the radio group or list would report it.
namespace page_coding {

inline int choiceIndex(long long value, int count)
{
    return value >= 0 && value < count ? static_cast<int>(value) : -1;
}

// A group with no button checked, or a list with no entry selected, leaves its cleared slot 0:
// the recorder is never sent -1 for a choice the user never made.
inline int storedIndex(int index)
{
    return index < 0 ? 0 : index;
}

// The list texts: the numbers from..to in steps, each formatted with "%d".
QStringList numberEntries(int from, int to, int step = 1);

// The selected entry's text, or an empty text when nothing (or something out of range) is
// selected.
QString entryText(const QStringList& entries, int selection);

} // namespace page_coding
