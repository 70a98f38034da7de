#pragma once

#include "batch/BatchOptions.h"
#include "tag/TagRecord.h"

#include <array>

namespace vantuke {

// The six rows of tag values as both the "TAG" page and the "ID3 Tag Query" dialog show
// them: their labels, and the most characters each text row takes (its field's capacity).
inline constexpr std::array<const char*, kTagFillRows> kTagRowLabels{
    "Song Name:", "Artist:", "Album:", "Year:", "Comment:", "Genre:"};

constexpr int TagRowMaxLength(int row) {
    return row == kGenreRow ? 0 : FieldCapacity(kTextFields[row]);
}

} // namespace vantuke
