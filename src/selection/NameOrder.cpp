#include "selection/NameOrder.h"

#include "platform/NameDisplay.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace vantuke {

QList<qsizetype> SortedOrder(const QStringList& names) {
    QCollator collator(QLocale::system());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);

    // One sort key per name keeps a large folder quick: comparing keys is a plain byte
    // comparison, while comparing names would run the collation for every pair. The key is
    // taken from the case-folded name because the "C" locale's keys are the plain bytes and
    // would otherwise put every upper-case name first. A byte of a name that is not UTF-8
    // sorts as the character it is shown as.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.push_back(collator.sortKey(NameForDisplay(name).toCaseFolded()));

    QList<qsizetype> order(names.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    return order;
}

void SortNames(QStringList& names) {
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : SortedOrder(names))
        sorted << names[i];
    names = std::move(sorted);
}

} // namespace vantuke
