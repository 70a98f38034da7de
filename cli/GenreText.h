#pragma once

#include <QString>
#include <optional>

namespace vantuke::cli {

// A genre given as text: a number 0..147 or a genre name in any letter case.
std::optional<int> GenreFromText(const QString& text);

} // namespace vantuke::cli
