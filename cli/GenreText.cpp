#include "GenreText.h"
#include "platform/AsciiCase.h"
#include "tag/Genres.h"

namespace vantuke::cli {

std::optional<int> GenreFromText(const QString& text) {
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return number >= 0 && number < kGenreCount ? std::optional<int>(number) : std::nullopt;
    for (int index = 0; index < kGenreCount; ++index) {
        if (EqualIgnoringAsciiCase(text, QLatin1String(GenreTable[index])))
            return index;
    }
    return std::nullopt;
}

} // namespace vantuke::cli
