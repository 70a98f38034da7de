#pragma once

#include "tag/TagFields.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace vantuke {

// One text per text field, in field order.
using FieldTexts = std::array<QString, kTextFieldCount>;

constexpr int FieldCapacity(TagField field) {
    return FieldInfo(field).capacity;
}

// The in-memory ID3v1 tag. Text fields hold raw bytes (never more than their capacity),
// NULs and the bytes behind them included, exactly as read from a file.
struct TTagRecord {
    QByteArray SongName;
    QByteArray Artist;
    QByteArray Album;
    QByteArray Year;
    QByteArray Comment;
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

// Stores bytes into a field, keeping the first bytes up to the field's capacity.
void SetFieldBytes(TTagRecord& record, TagField field, const QByteArray& bytes);
// What the last text stored into each field lost on the way: the characters past the field's
// capacity, and whether it held characters the code page lacks (stored as "?"). Indexed by
// TagField.
struct FieldLosses {
    std::array<int, kTextFields.size()> cut{};
    std::array<bool, kTextFields.size()> unmapped{};

    bool operator==(const FieldLosses&) const = default;
};

// Encodes text into the code page (a character it lacks becomes "?") and stores it by the
// same truncation rule. With losses, records what the text lost in the field's entry.
void SetFieldText(TTagRecord& record, TagField field, const QString& text,
                  FieldLosses* losses = nullptr);
// The text's bytes in the code page, untruncated. An escaped byte of a file name (U+DC80 to
// U+DCFF, see NameBytes.h) becomes that byte, so a name's Latin-1 "é" reaches the tag as é.
QByteArray EncodeFieldText(const QString& text);

// Empties all five text fields and sets the genre to 0 ("Blues").
void ClearTag(TTagRecord& record);
// Gives to the values of from, into to's own buffers: a record reused from file to file
// allocates nothing.
void CopyValues(const TTagRecord& from, TTagRecord& to);

} // namespace vantuke
