#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace vantuke {

// The "Filedate" cell: the local date in the locale's short format, a blank and the time in
// its long format. Seconds are rounded down to even and fractions dropped, the precision of
// the packed file dates the list has always shown; a time of exactly 00:00:00 shows the date
// alone. The long time format's time-zone name is left out: the time is always local.
QString FileDateText(const QDateTime& lastWrite, const QLocale& locale);

} // namespace vantuke
