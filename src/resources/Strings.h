#pragma once

#include <QList>
#include <QString>

namespace strings {

// The text of a string-table id, or an empty text for an id the table does not have.
QString text(int id);

// Every id of the table, ascending.
QList<int> ids();

} // namespace strings
