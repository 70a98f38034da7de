#pragma once

#include <QString>
#include <QStringView>

namespace vantuke {

// The text written in Latin letters of ASCII, as far as ICU's transforms "Any-Latin" and
// "Latin-ASCII" can: "Привет" becomes "Privet", "Ελλάδα" "Ellada". What they cannot write so
// (most symbols) stays as it was.
QString LatinTransliteration(QStringView text);

} // namespace vantuke
