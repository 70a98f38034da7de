#pragma once

#include <QString>
#include <array>
#include <optional>

namespace vantuke {

inline constexpr int kGenreCount = 148;

// The 148 genre names, index 0 to 147. Genre lists in the window hold them in this order,
// so a list position is a genre index.
extern const std::array<const char*, kGenreCount> GenreTable;

// The table name for 0 to 147; an empty text for any other value (no name).
QString GenreName(int index);
// As GenreName, but "unknown style" for values without a name (templates, "Style" column).
QString GenreDisplayName(int index);
// A genre given as text: a number 0 to 147, or a name in any letter case; nothing for
// anything else.
std::optional<int> GenreFromText(const QString& text);
// A genre name as other tag tools write it: a table name or another spelling of the same
// genre ("Rhythmic Soul", "Thrash Metal", "Hip Hop", "Rock 'n' Roll"), in any letter case,
// with any spacing and punctuation between its words. Nothing for a name without a number.
std::optional<int> GenreFromName(QStringView name);

} // namespace vantuke
