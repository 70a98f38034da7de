#pragma once

#include "tag/TagRecord.h"

#include <QString>
#include <array>

namespace vantuke {

// The "Format of filename:" lines of the "Old Style": which half of the name at the separator
// (or the whole name) goes into which field.
inline constexpr std::array<const char*, 8> kOldStyleFormats{
    "Artist,Separator,Songname",
    "Songname,Separator,Artist",
    "Useless,Separator,Songname",
    "Songname,Separator,Useless",
    "Useless,Separator,Artist",
    "Artist,Separator,Useless",
    "Only Songname",
    "Only Artist",
};
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

// Sets the fields that the chosen style names from a file title; every other field keeps
// the value it arrived with. Never fails. With losses, records what each stored text lost.
void FilenameToTag(TTagRecord& tag, const QString& title, const FilenameToTagOptions& options,
                   FieldLosses* losses = nullptr);

// The two styles on their own.
void OldStyleToTag(TTagRecord& tag, const QString& title, const OldStyleOptions& options,
                   FieldLosses* losses = nullptr);
void NewStyleToTag(TTagRecord& tag, const QString& title, const QString& tmpl,
                   FieldLosses* losses = nullptr);

} // namespace vantuke
