#pragma once

#include <QList>
#include <QStringList>

namespace vantuke {

// The positions of the names in the order the user's locale collates them, without regard
// to case and without numeric ordering, each name as NameForDisplay shows it. Names that the
// collation holds equal ("a" and "A", or two names shown alike) keep a fixed order by their
// code units, so the result never depends on the order a directory yielded them in.
QList<qsizetype> SortedOrder(const QStringList& names);

// Each name's place in that order, counted from 0; names the collation holds equal share
// the place of the first of them.
QList<qsizetype> CollationRanks(const QStringList& names);

// Sorts names into that order.
void SortNames(QStringList& names);

} // namespace vantuke
