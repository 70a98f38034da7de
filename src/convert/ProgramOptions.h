#pragma once

#include "tag/CodePage.h"

#include <algorithm>
#include <array>

namespace vantuke {

// Both sliders of the Options dialog have four positions, 0 to 3; a stored or given position
// outside them counts as the nearer end.
inline constexpr int kLastOptionPosition = 3;
constexpr int ClampOptionPosition(int position) {
    return std::clamp(position, 0, kLastOptionPosition);
}

// The letter cases of the MP3 extension, by "Format of extension:" position.
inline constexpr std::array<const char*, kLastOptionPosition + 1> kExtensionForms{"Mp3", "mp3",
                                                                                  "MP3", "mP3"};

// The program-wide values of the Options dialog, read by the processes as they run.
struct ProgramOptions {
    int extensionFormat = 1; // a position of kExtensionForms: 1 "mp3"
    int numberOfDigits = 1;  // %N is written with at least numberOfDigits + 1 digits
    bool eraseReadOnlyAttr = true;
    bool keepUndoHistory = true;  // every run that changes files can be undone
    bool skipFailedFiles = false; // an I/O error on an entry is counted and the run goes on
    TagCodec codec{};             // the code page of tag texts, and "Transliterate"
    // A run that renames files rewrites the playlists it took entries from that list them.
    bool updatePlaylists = false;

    bool operator==(const ProgramOptions&) const = default;
};

} // namespace vantuke
