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

inline constexpr int kTrackRow = int(TagField::Track);

// The component names of a row's controls: its value control, the same on the page and in
// the dialog ("Edit2"), its label on the page ("Label5") and in the dialog ("Label2"), and its
// "Ask:" and "Leave:" boxes ("CheckBox1", "CheckBox7"), by their numbers.
struct TagRowControls {
    const char* value;
    int pageLabel;
    int dialogLabel;
    int askBox;
    int leaveBox;
};
inline constexpr std::array<TagRowControls, kTagFillRows> kTagRowControls{{
    {"Edit2", 5, 2, 1, 7},
    {"Edit3", 6, 3, 2, 8},
    {"Edit4", 7, 4, 3, 9},
    {"Edit5", 8, 5, 4, 10},
    {"Edit6", 9, 6, 5, 11},
    {"Edit7", 11, 8, 20, 21},
    {"ComboBox1", 10, 7, 6, 12},
}};
inline QString TagRowControlName(int row) {
    return QLatin1String(kTagRowControls[std::size_t(row)].value);
}
// A row's value control among a form's: its text box, the track box or the genre box.
template <typename Control, typename Texts>
Control* RowValueControl(int row, const Texts& texts, Control* track, Control* genre) {
    switch (RowField(row).kind) {
    case FieldKind::Text:
        return texts[std::size_t(row)];
    case FieldKind::Number:
        return track;
    case FieldKind::Genre:
        break;
    }
    return genre;
}

// The most characters each row's box takes: a text field's capacity, a number's digits.
inline int TagRowMaxLength(int row) {
    switch (RowField(row).kind) {
    case FieldKind::Text:
        return RowField(row).capacity;
    case FieldKind::Number:
        return 3;
    case FieldKind::Genre:
        break;
    }
    return 0;
}
// A text as its row's field on the page holds it: no more than TagRowMaxLength characters.
inline QString TagRowText(const QString& text, int row) {
    return text.left(TagRowMaxLength(row));
}

// A track box's text as a track: 0 (none) for an empty box.
inline int TrackOfBox(QStringView text) {
    return TrackFromText(text).value_or(0);
}

} // namespace vantuke
