#pragma once

#include "tag/CodePage.h"
#include "tag/TagFields.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace vantuke {

// One text per text field, in field order.
using FieldTexts = std::array<QString, kTextFieldCount>;

constexpr int FieldCapacity(TagField field) {
    return FieldInfo(field).capacity;
}

// A track is a number from 1 to 255; 0 is none.
inline constexpr int kMaxTrack = 255;
// Beside a track (ID3v1.1) the comment has room for this many bytes.
inline constexpr int kCommentBesideTrack = 28;

// The in-memory ID3v1 tag. Text fields hold raw bytes (never more than their capacity),
// NULs and the bytes behind them included, exactly as read from a file. A tag with a track is
// ID3v1.1: its comment then has room for 28 bytes, not 30.
struct TTagRecord {
    QByteArray SongName;
    QByteArray Artist;
    QByteArray Album;
    QByteArray Year;
    QByteArray Comment;
    quint8 Track = 0; // 0: none
    quint8 Genre = 0;

    // A text field's bytes.
    QByteArray& Field(TagField field);
    const QByteArray& Field(TagField field) const;

    bool operator==(const TTagRecord&) const = default;
};

// A field's text: its bytes before the first NUL, decoded from the code page.
QString FieldText(const QByteArray& bytes, const TagCodec& codec);
QString FieldText(const TTagRecord& record, TagField field, const TagCodec& codec);
// Appends a field's text to out, as FieldText gives it.
void AppendFieldText(QString& out, const QByteArray& bytes, const TagCodec& codec);
// A field's text as a person sees it: each byte that is no character of the code page (an
// escape in FieldText) shows as U+FFFD.
QString ShownFieldText(const QByteArray& bytes, const TagCodec& codec);
// True when every byte of the field's text is part of a character of the code page.
bool FieldTextValid(const QByteArray& bytes, const TagCodec& codec);

// What a text kept and lost when it was cut to a field's capacity, in characters.
struct FieldCut {
    int kept = 0;
    int lost = 0; // 0: nothing was cut
};
// The truncation rule that every store into a text field follows: keeps the first bytes up to
// capacity, ending at a character boundary (a character of a multi-byte code page is never
// cut in half; the field's rest is NUL when written).
FieldCut CutToCapacity(QByteArray& bytes, int capacity, const CodePage& page);

// The bytes a text field of this record has room for: its capacity, or for the comment
// beside a track 28.
int FieldCapacity(const TTagRecord& record, TagField field);
// Stores bytes into a field by the truncation rule, to its room in the record.
void SetFieldBytes(TTagRecord& record, TagField field, const QByteArray& bytes,
                   const TagCodec& codec);
// What the last text stored into each field lost on the way: the characters past the field's
// room (with those kept), and whether characters the code page lacks became "?" or were
// transliterated. Indexed by TagField. A text that was to be a track and is none is kept too.
struct FieldLosses {
    std::array<int, kTextFields.size()> cut{};
    std::array<int, kTextFields.size()> kept{};
    std::array<bool, kTextFields.size()> unmapped{};
    std::array<bool, kTextFields.size()> transliterated{};
    std::optional<QString> notATrack;

    bool operator==(const FieldLosses&) const = default;
};

// Encodes text into the code page (CodePage::Encode: an escaped byte of a file name becomes
// that byte, a character the page lacks "?" or its transliteration) and stores it by the
// truncation rule. With losses, records what the text lost in the field's entry.
void SetFieldText(TTagRecord& record, TagField field, const QString& text, const TagCodec& codec,
                  FieldLosses* losses = nullptr);

// Sets the track (0 to 255; 0 is none). Beside a track the comment keeps no more than its
// first 28 bytes, by the same rule as any stored text; with losses, the characters that cost
// are added to the comment's entry.
void SetTrack(TTagRecord& record, int track, const TagCodec& codec,
              FieldLosses* losses = nullptr);

// A track as it is shown: the number, or nothing for none.
QString TrackText(int track);
// A track given as text: its digits (no sign, no blank) as a number from 0 to 255; nothing
// for any other text, an empty one included.
std::optional<int> TrackFromText(QStringView text);

// Empties all five text fields, takes the track away and sets the genre to 0 ("Blues").
void ClearTag(TTagRecord& record);
// Gives to the values of from, into to's own buffers: a record reused from file to file
// allocates nothing.
void CopyValues(const TTagRecord& from, TTagRecord& to);

} // namespace vantuke
