#pragma once

#include <QString>
#include <QStringList>

namespace vantuke {

// A preset box's list: its entries in order and the selected one (-1 for none).
struct PresetList {
    QStringList entries;
    int active = -1;

    // The selected entry's index when it names an entry, otherwise -1.
    int ActiveIndex() const { return active >= 0 && active < entries.size() ? active : -1; }
    // What an editable box shows once it holds the list: the selected entry, or else the text
    // it showed before.
    QString ShownText(const QString& text) const {
        const int index = ActiveIndex();
        return index < 0 ? text : entries.at(index);
    }

    bool operator==(const PresetList&) const = default;
};

} // namespace vantuke
