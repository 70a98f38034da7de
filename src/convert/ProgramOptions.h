#pragma once

namespace vantuke {

// The program-wide values of the Options dialog, read by the processes as they run.
struct ProgramOptions {
    int extensionFormat = 1; // 0 "Mp3", 1 "mp3", 2 "MP3", 3 "mP3"
    int numberOfDigits = 1;  // %N is written with at least numberOfDigits + 1 digits
    bool eraseReadOnlyAttr = true;
    bool keepUndoHistory = true; // every run that changes files can be undone

    bool operator==(const ProgramOptions&) const = default;
};

} // namespace vantuke
