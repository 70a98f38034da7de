#pragma once

#include <array>
#include <cstddef>

namespace vantuke {

// The fields of a tag, in the order of kTagFields: the text fields first, in the order the tag
// holds them, then the track and the genre.
enum class TagField { SongName = 0, Artist, Album, Year, Comment, Track, Genre };

// What a field holds.
enum class FieldKind {
    Text,   // bytes of the code page, up to the field's capacity
    Number, // a number from 1 to 255, or none (0)
    Genre,  // a byte, the index of a name in GenreTable
};

// One field of the tag, as every part of the program speaks of it.
struct TagFieldInfo {
    TagField field;
    FieldKind kind;
    // How people read it: "Song Name". Its row on the "TAG" page and in the "ID3 Tag Query"
    // dialog is labelled with the name and a colon, its "Ask:" and "Leave:" boxes and the
    // command line's question speak of it by the name, and a template's "Info:" list shows
    // it after its code ("%1 - Song Name").
    const char* name;
    // Its keys in the settings file's section "TAG": the page's value under this key, the
    // "Ask:" and "Leave:" boxes under "Ask" and "Leave" followed by it.
    const char* settingsKey;
    // Its three keys stand together after those of the fields older versions knew (each
    // kind of those keys together), so that files written by them read as before.
    bool laterKeys;
    // Its "Leave:" box is checked at first: a run keeps what the files have unless the user
    // says otherwise.
    bool leftByDefault;
    // Its name on the command line: `tag --song-name T`, `--leave song-name`.
    const char* option;
    // Its key in the documents about a run: JSON tag objects and the CSV header.
    const char* documentKey;
    // The caption of its column in the file list, and where that column stands among the
    // tag's columns (counted from 0, right of "Tag?").
    const char* column;
    int listColumn;
    // The bytes it takes in the tag.
    int capacity;
    // Its template code: "%1" expands to it and, in a file name template, reads it.
    char16_t code;
};

inline constexpr std::array<TagFieldInfo, 7> kTagFields{{
    {TagField::SongName, FieldKind::Text, "Song Name", "SongName", false, false, "song-name",
     "song_name", "SongName", 0, 30, u'1'},
    {TagField::Artist, FieldKind::Text, "Artist", "Artist", false, false, "artist", "artist",
     "Artist", 1, 30, u'2'},
    {TagField::Album, FieldKind::Text, "Album", "Album", false, false, "album", "album", "Album", 2,
     30, u'3'},
    {TagField::Year, FieldKind::Text, "Year", "Year", false, false, "year", "year", "Year", 3, 4,
     u'4'},
    {TagField::Comment, FieldKind::Text, "Comment", "Comment", false, false, "comment", "comment",
     "Comment", 5, 30, u'5'},
    {TagField::Track, FieldKind::Number, "Track", "Track", true, true, "track", "track", "Track", 6,
     1, u'T'},
    {TagField::Genre, FieldKind::Genre, "Genre", "Genre", false, false, "genre", "genre", "Style",
     4, 1, u'6'},
}};

inline constexpr int kTagFieldCount = int(kTagFields.size());

constexpr const TagFieldInfo& FieldInfo(TagField field) {
    return kTagFields[std::size_t(field)];
}

namespace detail {
constexpr bool TableInOrder() {
    bool textsDone = false;
    for (int k = 0; k < kTagFieldCount; ++k) {
        if (int(kTagFields[std::size_t(k)].field) != k)
            return false;
        const bool text = kTagFields[std::size_t(k)].kind == FieldKind::Text;
        if (text && textsDone)
            return false;
        textsDone = textsDone || !text;
    }
    return true;
}
constexpr int CountTextFields() {
    int count = 0;
    for (const TagFieldInfo& info : kTagFields)
        count += info.kind == FieldKind::Text ? 1 : 0;
    return count;
}
} // namespace detail
// Each field stands at its own index, and the text fields come first, so that a list of the
// texts is indexed by their fields.
static_assert(detail::TableInOrder());

// The text fields in the order the tag holds them; every list of the texts follows it.
inline constexpr int kTextFieldCount = detail::CountTextFields();
inline constexpr std::array<TagField, kTextFieldCount> kTextFields = [] {
    std::array<TagField, kTextFieldCount> fields{};
    for (int k = 0; k < kTextFieldCount; ++k)
        fields[std::size_t(k)] = TagField(k);
    return fields;
}();

// The field a template code names ("1" to "6", "T"); nothing for any other character.
constexpr const TagFieldInfo* FieldOfCode(char16_t code) {
    for (const TagFieldInfo& info : kTagFields) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

} // namespace vantuke
