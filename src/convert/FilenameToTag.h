#pragma once

#include "tag/TagRecord.h"

#include <QString>

namespace vantuke {

// Options of the "Old Style" split at a separator.
struct OldStyleOptions {
    QString separator = QStringLiteral("-");
    bool clearSpaces = true; // "Erase all spaces" among separator
    int format = 0;          // -1 (none) to 7, the "Format of filename:" lines

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
