#include "settings/BuiltInPresets.h"

namespace vantuke {

QStringList BuiltInTagToFilenamePresets() {
    return {
        QStringLiteral("%2 - %1"),
        QStringLiteral("%2 - %1 (%4,%6)"),
        QStringLiteral("%2 - %1 (%3,%4,%6)"),
        QStringLiteral("%1 - %2"),
        QStringLiteral("%1 by %2"),
        QStringLiteral("Song by %2"),
        QStringLiteral("%1 created by %2"),
        QStringLiteral("%1 created by %2 in %4"),
        QStringLiteral("%2 - %1 from %3 album"),
        QStringLiteral("%1 created by %2 from %3 album"),
        QStringLiteral("%1 created by %2 in %4 from %3 album"),
        QStringLiteral("%2 - %1 taken from %3 album"),
        QStringLiteral("Song_%N"),
        QStringLiteral("%N_Song"),
        QStringLiteral("Song %N"),
        QStringLiteral("%N Song"),
        QStringLiteral("%N-%1"),
        QStringLiteral("%N-%1 by %2"),
        QStringLiteral("%N-%2 - %1"),
        QStringLiteral("%N_%2 - %1"),
    };
}

QStringList BuiltInListPresets() {
    return {
        QStringLiteral("Processing file: %8%7.%9"),
        QStringLiteral("Processing file: %8%7.%9 (Artist:%2,SongName:%1)"),
        QStringLiteral("Processing file: %8%7.%9 (Artist:%2,SongName:%1,Album:%3)"),
        QStringLiteral("Processing file: %8%7.%9 (Artist:%2,SongName:%1,Album:%3,Year:%4)"),
        QStringLiteral(
            "Processing file: %8%7.%9 (Artist:%2,SongName:%1,Album:%3,Year:%4,Genre:%6)"),
        QStringLiteral("Processing file: %8%7.%9 (%1 by %2)"),
        QStringLiteral("Processing file: %7.%9 (Artist:%2,SongName:%1)"),
        QStringLiteral("Processing file: %7.%9 (%1 by %2)"),
        QStringLiteral("File %7.%9 were made by %2"),
        QStringLiteral("File %7.%9 were made in %4"),
        QStringLiteral("Song %2 - %1 is %6"),
        QStringLiteral("Song %2 - %1 is from %3 album"),
        QStringLiteral("%8%7.%9 is %2 - %1"),
        QStringLiteral("%7.%9 is %2 - %1"),
        QStringLiteral("%2 - %1 is in directory %8"),
        QStringLiteral("%2 - %1"),
    };
}

} // namespace vantuke
