#pragma once

#include "convert/ProgramOptions.h"
#include "tag/TagRecord.h"

#include <QString>

namespace vantuke {

// What an expansion is for. In a status line, control characters of the tag values and the
// path show as "?" (ShowInOneLine), so that one line stays one entry.
enum class ExpansionUse { Name, StatusLine };

// Expands the %-codes of a template for one file: each field's code (kTagFields) the field,
// %1..%5 the texts (in the code page of options.codec), %T the track in two digits ("07"; nothing without one), %6 the genre name
// ("unknown style" past the table), %7 the file title, %8 the
// folder, %9 the extension text, %N/%n the file number zero-padded to numberOfDigits + 1 digits
// (never cut). A "%" that starts no code is copied and the character after it is read anew.
QString ExpandTemplate(const TTagRecord& tag, const QString& tmpl, const QString& path, int number,
                       const ProgramOptions& options, ExpansionUse use = ExpansionUse::Name);
// The same into out, whose room is reused from call to call.
void ExpandTemplateInto(QString& out, const TTagRecord& tag, const QString& tmpl,
                        const QString& path, int number, const ProgramOptions& options,
                        ExpansionUse use);
// The same appended to out.
void AppendExpansion(QString& out, const TTagRecord& tag, const QString& tmpl, const QString& path,
                     int number, const ProgramOptions& options, ExpansionUse use);

} // namespace vantuke
