#pragma once

#include "convert/ProgramOptions.h"
#include "tag/TagRecord.h"

#include <QString>

namespace vantuke {

// Expands the %-codes of a template for one file: %1..%5 the text fields, %6 the genre name
// ("unknown style" past the table), %7 the file title, %8 the folder, %9 the extension text,
// %N/%n the file number zero-padded to numberOfDigits + 1 digits (never cut). A "%" that
// starts no code is copied and the character after it is read anew.
QString ExpandTemplate(const TTagRecord& tag, const QString& tmpl, const QString& path, int number,
                       const ProgramOptions& options);

} // namespace vantuke
