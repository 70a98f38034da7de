#pragma once

#include "tag/CodePage.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace vantuke {

// The text fields in the order the tag holds them; every list of the five follows it.
enum class TagField { SongName = 0, Artist, Album, Year, Comment };
inline constexpr int kTextFieldCount = 5;
inline constexpr std::array<TagField, kTextFieldCount> kTextFields{
    TagField::SongName, TagField::Artist, TagField::Album, TagField::Year, TagField::Comment};
// One text per field, in field order.
using FieldTexts = std::array<QString, kTextFieldCount>;

constexpr int FieldCapacity(TagField field) {
    return field == TagField::Year ? 4 : 30;
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

// Stores bytes into a field by the truncation rule.
void SetFieldBytes(TTagRecord& record, TagField field, const QByteArray& bytes,
                   const TagCodec& codec);
// What the last text stored into each field lost on the way: the characters past the field's
// capacity (with those kept), and whether characters the code page lacks became "?" or were
// transliterated. Indexed by TagField.
struct FieldLosses {
    std::array<int, kTextFields.size()> cut{};
    std::array<int, kTextFields.size()> kept{};
    std::array<bool, kTextFields.size()> unmapped{};
    std::array<bool, kTextFields.size()> transliterated{};

    bool operator==(const FieldLosses&) const = default;
};

// Encodes text into the code page (CodePage::Encode: an escaped byte of a file name becomes
// that byte, a character the page lacks "?" or its transliteration) and stores it by the
// truncation rule. With losses, records what the text lost in the field's entry.
void SetFieldText(TTagRecord& record, TagField field, const QString& text, const TagCodec& codec,
                  FieldLosses* losses = nullptr);

// Empties all five text fields and sets the genre to 0 ("Blues").
void ClearTag(TTagRecord& record);

} // namespace vantuke
