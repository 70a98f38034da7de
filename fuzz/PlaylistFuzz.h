#pragma once

#include "FuzzSupport.h"
#include "convert/PathNames.h"
#include "convert/PlaylistEntries.h"

#include <QHash>

namespace fuzzsupport {

// Reads a playlist as the program does (no file exists) and checks what holds for every one:
// its entries are paths of this machine; rewriting it with nothing renamed gives back its
// bytes; and renaming every file it names to a name a playlist finds hard to hold (a leading
// blank, "#", a quote, "%", a character beyond ASCII) either rewrites every such entry, read
// back as naming the new path, or is refused. Returns the entries' paths.
inline QStringList CheckPlaylist(vantuke::PlaylistKind kind, const QByteArray& content) {
    using namespace vantuke;
    const QString dir = QStringLiteral("/music/lists/");
    const NameExistsFn none = [](const QString&) { return false; };
    Playlist playlist{dir + QStringLiteral("list"), dir, kind, content,
                      ParsePlaylist(kind, content, dir, none)};
    QStringList paths;
    for (const PlaylistEntry& entry : std::as_const(playlist.entries)) {
        FUZZ_CHECK(IsUsablePath(entry.path));
        FUZZ_CHECK(0 <= entry.nameStart && entry.nameStart <= entry.nameEnd &&
                   entry.nameEnd <= content.size());
        paths << entry.path;
    }

    const std::optional<PlaylistRewrite> same = RewritePlaylist(playlist, {}, none);
    FUZZ_CHECK(same && same->bytes == content && same->changed == 0);

    QHash<QString, QString> renamed;
    for (const QString& path : std::as_const(paths)) {
        if (path.startsWith(u'/'))
            renamed.insert(path, FilePathOf(path) +
                                     QStringLiteral(" #'%1 \u00E9%.mp3").arg(renamed.size()));
    }
    if (const std::optional<PlaylistRewrite> rewrite = RewritePlaylist(playlist, renamed, none)) {
        FUZZ_CHECK(rewrite->changed == EntriesNaming(playlist, renamed));
        FUZZ_CHECK(rewrite->entries.size() == playlist.entries.size());
        for (qsizetype i = 0; i < playlist.entries.size(); ++i)
            FUZZ_CHECK(rewrite->entries.at(i).path ==
                       renamed.value(playlist.entries.at(i).path, playlist.entries.at(i).path));
    }
    return paths;
}

} // namespace fuzzsupport
