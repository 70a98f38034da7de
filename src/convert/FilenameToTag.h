#pragma once

#include "tag/TagRecord.h"

#include <QString>
#include <array>

namespace vantuke {

// What of a file's title the "Old Style" puts into a field: nothing (the field keeps its
// value), the part before the separator, the part after it, or the whole title.
enum class TitlePart { None, Before, After, Whole };

// A "Format of filename:" line of the "Old Style" and what it puts into the song name and
// the artist.
struct OldStyleFormat {
    const char* line;
    TitlePart songName;
    TitlePart artist;
};
inline constexpr std::array<OldStyleFormat, 8> kOldStyleFormats{{
    {"Artist,Separator,Songname", TitlePart::After, TitlePart::Before},
    {"Songname,Separator,Artist", TitlePart::Before, TitlePart::After},
    {"Useless,Separator,Songname", TitlePart::After, TitlePart::None},
    {"Songname,Separator,Useless", TitlePart::Before, TitlePart::None},
    {"Useless,Separator,Artist", TitlePart::None, TitlePart::After},
    {"Artist,Separator,Useless", TitlePart::None, TitlePart::Before},
    {"Only Songname", TitlePart::Whole, TitlePart::None},
    {"Only Artist", TitlePart::None, TitlePart::Whole},
}};
inline constexpr int kLastOldStyleFormat = int(kOldStyleFormats.size()) - 1;

// The "Separator:" field takes at most this many characters.
inline constexpr int kSeparatorMaxLength = 10;

// Options of the "Old Style" split at a separator.
struct OldStyleOptions {
    QString separator = QStringLiteral("-");
    bool clearSpaces = true; // "Erase all spaces" among separator
    int format = 0;          // a line of kOldStyleFormats; -1 for none

    bool operator==(const OldStyleOptions&) const = default;
};

// Options of the "Filename>TAG" conversion: "New Style" (template) unless oldStyle is set.
struct FilenameToTagOptions {
    bool oldStyle = false;
    OldStyleOptions old;
    QString newStyleTemplate;

    bool operator==(const FilenameToTagOptions&) const = default;
};

// Sets the fields that the chosen style names from a file title, each text written by codec;
// every other field keeps the value it arrived with. Never fails. With losses, records what
// each stored text lost, and a text "%T" read that is no track.
void FilenameToTag(TTagRecord& tag, const QString& title, const FilenameToTagOptions& options,
                   const TagCodec& codec, FieldLosses* losses = nullptr);

// The two styles on their own.
void OldStyleToTag(TTagRecord& tag, const QString& title, const OldStyleOptions& options,
                   const TagCodec& codec, FieldLosses* losses = nullptr);
void NewStyleToTag(TTagRecord& tag, const QString& title, const QString& tmpl,
                   const TagCodec& codec, FieldLosses* losses = nullptr);

} // namespace vantuke
