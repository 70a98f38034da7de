#pragma once

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

// A field's text: its bytes before the first NUL, decoded from the single-byte code page
// (Windows-1252).
QString FieldText(const QByteArray& bytes);
QString FieldText(const TTagRecord& record, TagField field);
// Appends a field's text to out, as FieldText gives it.
void AppendFieldText(QString& out, const QByteArray& bytes);

// The bytes a text field of this record has room for: its capacity, or for the comment
// beside a track 28.
int FieldCapacity(const TTagRecord& record, TagField field);
// Stores bytes into a text field, keeping the first bytes up to its room in the record.
void SetFieldBytes(TTagRecord& record, TagField field, const QByteArray& bytes);
// What the last text stored into each field lost on the way: the characters past the field's
// room, and whether it held characters the code page lacks (stored as "?"). Indexed by
// TagField. A text that was to be a track and is none is kept too.
struct FieldLosses {
    std::array<int, kTextFields.size()> cut{};
    std::array<bool, kTextFields.size()> unmapped{};
    std::optional<QString> notATrack;

    bool operator==(const FieldLosses&) const = default;
};

// Encodes text into the code page (a character it lacks becomes "?") and stores it by the
// same truncation rule. With losses, records what the text lost in the field's entry.
void SetFieldText(TTagRecord& record, TagField field, const QString& text,
                  FieldLosses* losses = nullptr);
// The text's bytes in the code page, untruncated. An escaped byte of a file name (U+DC80 to
// U+DCFF, see NameBytes.h) becomes that byte, so a name's Latin-1 "é" reaches the tag as é.
QByteArray EncodeFieldText(const QString& text);

// Sets the track (0 to 255; 0 is none). Beside a track the comment keeps no more than its
// first 28 bytes, by the same rule as any stored text; with losses, the characters that cost
// are added to the comment's entry.
void SetTrack(TTagRecord& record, int track, FieldLosses* losses = nullptr);

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
