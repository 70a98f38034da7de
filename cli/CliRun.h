#pragma once

#include "CliRequest.h"
#include "batch/BatchOptions.h"
#include "convert/PlaylistEntries.h"

#include <QStringList>

namespace vantuke::cli {

// The options of the run: the settings file's values (or those of a first start, with every
// "Ask:" box off) overridden by the options given on the command line. The status box is
// always cleared at the start, so the output holds exactly one run.
BatchOptions BuildOptions(const CliRequest& request);

// A FILE made absolute against the working directory (cwd, itself absolute). Empty and "."
// parts are dropped; ".." parts stay, because a folder before them may be a symbolic link.
QString AbsolutePath(const QString& cwd, const QString& path);

// The selected-files list: FILEs, the MP3 files of folders, playlist entries and the FILEs of
// --files-from lists, in command-line order, exact duplicates dropped. An unreadable .m3u
// playlist or --files-from list throws IoError. The playlists, as read, go to playlists when
// it is given.
QStringList BuildSelection(const CliRequest& request, const QString& cwd,
                           QList<Playlist>* playlists = nullptr);

} // namespace vantuke::cli
