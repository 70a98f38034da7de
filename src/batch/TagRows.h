#pragma once

#include "tag/TagRecord.h"

#include <QString>
#include <array>

namespace vantuke {

// The rows of tag values as the "TAG" page and the "ID3 Tag Query" dialog show them: one per
// field of the tag, in the order of kTagFields (the texts first). A row's number is its
// field's.
inline constexpr int kTagFillRows = kTagFieldCount;
inline constexpr int kGenreRow = int(TagField::Genre);

inline const TagFieldInfo& RowField(int row) {
    return kTagFields[std::size_t(row)];
}
// A row's name: its label is the name and a colon, its "Ask:" and "Leave:" boxes and the
// command line's question speak of it by its name.
inline QString TagRowName(int row) {
    return QLatin1String(RowField(row).name);
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
inline int TagRowMaxLength(int row) {
    return RowField(row).kind == FieldKind::Text ? RowField(row).capacity : 0;
}
// A text as its row's field on the page holds it: no more than TagRowMaxLength characters.
inline QString TagRowText(const QString& text, int row) {
    return text.left(TagRowMaxLength(row));
}

} // namespace vantuke
