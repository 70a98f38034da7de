#pragma once

#include "tag/TagRecord.h"

#include <array>

namespace vantuke {

// The rows of tag values as the "TAG" page and the "ID3 Tag Query" dialog show them: the five
// text fields in field order, then the genre.
inline constexpr int kTagFillRows = kTextFieldCount + 1;
inline constexpr int kGenreRow = kTextFieldCount;

// Their labels, and the most characters each text row takes (its field's capacity).
inline constexpr std::array<const char*, kTagFillRows> kTagRowLabels{
    "Song Name:", "Artist:", "Album:", "Year:", "Comment:", "Genre:"};

constexpr int TagRowMaxLength(int row) {
    return row == kGenreRow ? 0 : FieldCapacity(kTextFields[row]);
}

} // namespace vantuke
