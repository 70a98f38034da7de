#include "selection/NameOrder.h"

#include "platform/NameDisplay.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace vantuke {

namespace {

// The names in collation order, with each name's sort key.
struct Collated {
    std::vector<QCollatorSortKey> keys;
    QList<qsizetype> order;
};

Collated Collate(const QStringList& names) {
    QCollator collator(QLocale::system());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);

    // One sort key per name keeps a large folder quick: comparing keys is a plain byte
    // comparison, while comparing names would run the collation for every pair. The key is
    // taken from the case-folded name because the "C" locale's keys are the plain bytes and
    // would otherwise put every upper-case name first. A byte of a name that is not UTF-8
    // sorts as the character it is shown as.
    Collated collated;
    collated.keys.reserve(names.size());
    for (const QString& name : names)
        collated.keys.push_back(collator.sortKey(NameForDisplay(name).toCaseFolded()));

    const std::vector<QCollatorSortKey>& keys = collated.keys;
    collated.order.resize(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        collated.order[i] = i;
    std::sort(collated.order.begin(), collated.order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    return collated;
}

} // namespace

QList<qsizetype> SortedOrder(const QStringList& names) {
    return Collate(names).order;
}

QList<qsizetype> CollationRanks(const QStringList& names) {
    const Collated collated = Collate(names);
    QList<qsizetype> ranks(names.size(), 0);
    for (qsizetype place = 1; place < names.size(); ++place) {
        const qsizetype name = collated.order[place];
        const qsizetype before = collated.order[place - 1];
        const bool alike = collated.keys[name].compare(collated.keys[before]) == 0;
        ranks[name] = alike ? ranks[before] : place;
    }
    return ranks;
}

void SortNames(QStringList& names) {
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : SortedOrder(names))
        sorted << names[i];
    names = std::move(sorted);
}

} // namespace vantuke
