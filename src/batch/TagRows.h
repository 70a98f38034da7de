#pragma once

#include "tag/TagRecord.h"

#include <QString>
#include <array>

namespace vantuke {

// The rows of tag values as the "TAG" page and the "ID3 Tag Query" dialog show them: the five
// text fields in field order, then the genre.
inline constexpr int kTagFillRows = kTextFieldCount + 1;
inline constexpr int kGenreRow = kTextFieldCount;

// Their names: a row's label is its name and a colon, its "Ask:" and "Leave:" boxes and the
// command line's question speak of it by its name.
inline constexpr std::array<const char*, kTagFillRows> kTagRowNames{
    "Song Name", "Artist", "Album", "Year", "Comment", "Genre"};

inline QString TagRowName(int row) {
    return QLatin1String(kTagRowNames[row]);
}
inline QString TagRowLabel(int row) {
    return TagRowName(row) + u':';
}

// The object name of a row's value control, the same on the page and in the dialog: Edit2 to
// Edit6 for the texts, ComboBox1 for the genre.
inline QString TagRowControlName(int row) {
    return row == kGenreRow ? QStringLiteral("ComboBox1") : QStringLiteral("Edit%1").arg(row + 2);
}

// The most characters each text row takes: its field's capacity.
constexpr int TagRowMaxLength(int row) {
    return row == kGenreRow ? 0 : FieldCapacity(kTextFields[row]);
}
// A text as its row's field on the page holds it: no more than TagRowMaxLength characters.
inline QString TagRowText(const QString& text, int row) {
    return text.left(TagRowMaxLength(row));
}

} // namespace vantuke
