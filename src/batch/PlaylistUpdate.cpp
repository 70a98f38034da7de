#include "batch/PlaylistUpdate.h"

#include "batch/BatchRun.h"
#include "batch/PlanRecorder.h"
#include "batch/RunPlan.h"
#include "convert/PathNames.h"
#include "platform/FileAccess.h"
#include "platform/ReplaceFile.h"

#include <cerrno>

namespace vantuke {

PlaylistWriter::Result DiskPlaylists::Replace(const QString& path, const QByteArray& old,
                                              const QByteArray& bytes) {
    try {
        return Result{ReplaceFileContentsIf(path, old, bytes), std::nullopt};
    } catch (const IoError& error) {
        return Result{false, error};
    }
}

bool PlaylistUnchanged(const QString& path, const QByteArray& old) {
    try {
        return ReadWholeFile(path, kMaxWholeFileSize, OpenMode::Look) == old;
    } catch (const IoError&) {
        return false;
    }
}

PlaylistWriter::Result PlannedPlaylists::Replace(const QString& path, const QByteArray& old,
                                                 const QByteArray&) {
    if (!PlaylistUnchanged(path, old))
        return Result{false, std::nullopt};
    const std::optional<FileStat> file = StatPath(path, true);
    if (!file || !file->IsRegularFile() || file->IsReadOnly())
        return Result{false, IoError::FromErrno(EACCES)};
    if (const int error = FolderAccessOf(FilePathOf(path)).error)
        return Result{false, IoError::FromErrno(error)};
    return Result{true, std::nullopt};
}

QHash<QString, QString> RenamedPaths(const QStringList& before, const QStringList& after) {
    QHash<QString, QString> finalPath; // path before the run: where the file is now
    QHash<QString, QString> origin;    // where a renamed file is now: its path before the run
    for (qsizetype i = 0; i < before.size() && i < after.size(); ++i) {
        const QString& from = before.at(i);
        const QString& to = after.at(i);
        if (from == to)
            continue;
        // The file an earlier entry brought to this name goes on from there.
        QString first = origin.take(from);
        if (first.isNull())
            first = from;
        origin.insert(to, first);
        finalPath.insert(first, to);
    }
    for (auto it = finalPath.begin(); it != finalPath.end();) {
        if (it.key() == it.value())
            it = finalPath.erase(it);
        else
            ++it;
    }
    return finalPath;
}

QList<Playlist> UpdatePlaylists(BatchRun& run, PlaylistWriter& writer) {
    const BatchOptions& options = run.Options();
    PlanRecorder* recorder = run.Recorder();
    const bool update = options.program.updatePlaylists;
    if (options.playlists.isEmpty() || (!update && !recorder))
        return {};
    const QHash<QString, QString> renamed = RenamedPaths(run.EntriesAtStart(), run.Entries());
    if (renamed.isEmpty())
        return {};
    FileSystem& files = run.Files();
    const NameExistsFn exists = [&files](const QString& path) {
        return files.Stat(path).has_value();
    };
    QList<Playlist> rewritten;
    for (const Playlist& playlist : options.playlists) {
        PlaylistPlan plan;
        plan.path = playlist.path;
        plan.entries = EntriesNaming(playlist, renamed);
        if (plan.entries == 0)
            continue;
        if (!update) {
            plan.outcome = PlaylistPlan::Outcome::Stale;
            recorder->PlaylistDone(plan);
            continue;
        }
        // A playlist the run renamed itself is found under its new name.
        const QString path = renamed.value(playlist.path, playlist.path);
        plan.path = path;
        const std::optional<PlaylistRewrite> rewrite = RewritePlaylist(playlist, renamed, exists);
        PlaylistWriter::Result result;
        if (!rewrite)
            plan.error = QStringLiteral("its entries cannot name the new paths; left alone");
        else
            result = writer.Replace(path, playlist.bytes, rewrite->bytes);
        if (result.error)
            plan.error = result.error->Text();
        if (result.replaced) {
            Playlist now = playlist;
            now.path = path;
            now.bytes = rewrite->bytes;
            now.entries = rewrite->entries;
            rewritten.append(std::move(now));
            run.Log(PlaylistLine(plan));
        } else {
            plan.outcome = plan.error.isEmpty() ? PlaylistPlan::Outcome::Changed
                                                : PlaylistPlan::Outcome::Failed;
            run.ReportError(PlaylistLine(plan));
        }
        if (recorder)
            recorder->PlaylistDone(plan);
    }
    return rewritten;
}

} // namespace vantuke
