#pragma once

#include <QString>
#include <QStringView>

namespace vantuke {

// A text holding file names (a path, a status line, a message) as a person sees it: each byte
// NameFromBytes had to escape is drawn as its Windows-1252 character, the code page such
// names usually come from, so "Caf\xE9.mp3" reads "Café.mp3". The five bytes that code page
// leaves undefined show as U+FFFD. Everything else stays as it is. For display only: the
// result no longer names the file.
QString NameForDisplay(QStringView text);

} // namespace vantuke
