#pragma once

#include <QStringList>

namespace vantuke {

// A preset box's list: its entries in order and the selected one (-1 for none).
struct PresetList {
    QStringList entries;
    int active = -1;

    bool operator==(const PresetList&) const = default;
};

} // namespace vantuke
