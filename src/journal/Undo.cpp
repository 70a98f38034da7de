#include "journal/Undo.h"

#include "convert/PathNames.h"
#include "journal/History.h"
#include "journal/JournalFormat.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/ReplaceFile.h"
#include "tag/TagBytes.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <memory>
#include <optional>

namespace vantuke {

namespace {

// A journal is read whole; no run comes near this.
constexpr qint64 kMaxJournalSize = 1LL << 30;

bool SameFile(const FileStat& file, const ChangeRecord& change) {
    return file.device == change.device && file.inode == change.inode;
}

// Where a file stands against a change.
enum class State {
    After,   // as the change left it
    Before,  // as it was before the change: the change was never made
    Changed, // neither: changed since
};

// A file as seen for a check: its state and, for a tag change, its last kTagEndSize bytes
// (fewer when the file is shorter), which end in the bytes a tag change rewrote or cut.
struct Seen {
    FileStat stat;
    QByteArray last;
};

// Where the file stands against the change; the same file is taken as given.
State Classify(const ChangeRecord& change, const Seen& seen) {
    const qint64 size = seen.stat.size;
    const quint32 mode = PermissionBits(seen.stat.mode);
    const bool writable = !seen.stat.IsReadOnly();
    switch (change.kind) {
    case ChangeKind::WriteTag:
        if (size == change.newSize && seen.last.endsWith(change.newLast) && writable)
            return State::After;
        break;
    case ChangeKind::RemoveTag:
        // What ends the file now is not known from the run: a file that had two tags still
        // ends in one.
        if (size == change.newSize && writable)
            return State::After;
        break;
    case ChangeKind::Rename:
        // The same file under the new name, as large as the run left it.
        return size == change.newSize ? State::After : State::Changed;
    case ChangeKind::ClearReadOnly:
        if (mode == PermissionBits(change.newMode))
            return State::After;
        if (mode == PermissionBits(change.mode))
            return State::Before;
        return State::Changed;
    }
    if (size == change.size && seen.last.endsWith(change.oldLast))
        return State::Before;
    return State::Changed;
}

// A change never made whose file the run still read: its access time goes back, unless the
// file was modified since (another modification time).
void SetBackAccessTime(OpenFile& file, const ChangeRecord& change) {
    if (file.Stat().mtimeNsec == change.mtimeNsec && file.Stat().atimeNsec != change.atimeNsec)
        file.SetTimes(change.atimeNsec, change.mtimeNsec);
}

bool IsTagChange(const ChangeRecord& change) {
    return change.kind == ChangeKind::WriteTag || change.kind == ChangeKind::RemoveTag;
}

// A tag write over the file's tag (with its Enhanced TAG block when it had one), not one
// appended: undone by writing the old bytes back.
bool WroteOverATag(const ChangeRecord& change) {
    return change.kind == ChangeKind::WriteTag && change.oldLast.size() >= kTagSize &&
           IsTagMarker(QByteArrayView(change.oldLast).last(kTagSize));
}

// The last bytes of a file as the undo of a tag change leaves them, from those it has now.
QByteArray LastBytesUndone(const ChangeRecord& change, QByteArray last) {
    if (change.kind == ChangeKind::WriteTag)
        last.chop(change.newLast.size());
    if (change.kind == ChangeKind::RemoveTag || WroteOverATag(change))
        last += change.oldLast;
    return last.right(kTagEndSize);
}

QByteArray LastBytesOf(const OpenFile& file) {
    const qint64 size = file.Size();
    QByteArray last(std::min<qint64>(size, kTagEndSize), Qt::Uninitialized);
    file.ReadAt(size - last.size(), last.data(), last.size());
    return last;
}

// The line that names a change.
QString ChangeLine(const ChangeRecord& change) {
    switch (change.kind) {
    case ChangeKind::WriteTag:
        return QStringLiteral("Undoing tag write: ") + ShownInOneLine(change.path);
    case ChangeKind::RemoveTag:
        return QStringLiteral("Undoing tag removal: ") + ShownInOneLine(change.path);
    case ChangeKind::Rename:
        return QStringLiteral("Undoing rename: ") + ShownInOneLine(change.newPath) +
               QStringLiteral(" back to ") + ShownInOneLine(change.path);
    case ChangeKind::ClearReadOnly:
        return QStringLiteral("Undoing read-only clear: ") + ShownInOneLine(change.path);
    }
    return {};
}

// The path at which the run left the file.
const QString& PathAfter(const ChangeRecord& change) {
    return change.kind == ChangeKind::Rename ? change.newPath : change.path;
}

// The files as a dry run would leave them: what it has undone so far, over the disk. A
// later (earlier recorded) change is checked against these, as the real undo would find it.
class DryFiles {
public:
    // The file at path (a rename's name not followed, anything else followed) as undone so
    // far; nothing when there is none.
    std::optional<Seen> Look(const QString& path, bool follow) {
        if (const auto named = names_.constFind(path); named != names_.cend()) {
            if (!named->has_value())
                return std::nullopt;
            return Content(**named);
        }
        const std::optional<FileStat> stat = StatPath(path, follow);
        if (!stat)
            return std::nullopt;
        Seen seen{*stat, {}};
        const auto known = contents_.constFind(Key(*stat));
        if (known != contents_.cend())
            return *known;
        if (stat->IsRegularFile()) {
            try {
                OpenFile file(path, OpenMode::Read);
                seen.last = LastBytesOf(file);
            } catch (const IoError&) {
            }
        }
        return seen;
    }
    void Move(const QString& from, const QString& to, const Seen& file) {
        names_.insert(from, std::nullopt);
        names_.insert(to, file);
    }
    void Change(const Seen& file) { contents_.insert(Key(file.stat), file); }

private:
    using FileKey = QPair<quint64, quint64>;
    static FileKey Key(const FileStat& stat) { return {stat.device, stat.inode}; }
    Seen Content(const Seen& file) const { return contents_.value(Key(file.stat), file); }

    QHash<QString, std::optional<Seen>> names_;
    QHash<FileKey, Seen> contents_;
};

// Undoes the changes of one run.
class Undoer {
public:
    Undoer(bool dryRun, const std::function<void(const QString&)>& log, UndoResult& result)
        : dryRun_(dryRun), log_(log), result_(result) {}

    void Undo(const ChangeRecord& change) {
        Step(ChangeLine(change), PathAfter(change),
             [&] { return dryRun_ ? Simulate(change) : Make(change); });
    }

    void UndoPlaylist(const PlaylistRecord& playlist) {
        Step(QStringLiteral("Undoing playlist update: ") + ShownInOneLine(playlist.path),
             playlist.path, [&] { return Playlist(playlist); });
    }

private:
    // Logs the line of one undo, with what undo found (problem: left alone, and why).
    void Step(QString line, const QString& path,
              const std::function<std::optional<QString>()>& undo) {
        try {
            const std::optional<QString> problem = undo();
            if (nothing_)
                line += QStringLiteral(" (never made, nothing to undo)");
            log_(line);
            if (problem)
                Report(*problem);
        } catch (const IoError& error) {
            log_(line);
            result_.ioError = true;
            Report(QStringLiteral("Cannot undo ") + ShownInOneLine(path) + QStringLiteral(": ") +
                   ErrorBoxText(error.Text()));
        }
        nothing_ = false;
    }

    std::optional<QString> Playlist(const PlaylistRecord& playlist) {
        const std::optional<FileStat> file = StatPath(playlist.path, true);
        if (!file)
            return LeftAlone(playlist.path, " is gone");
        const QByteArray now = ReadWholeFile(playlist.path, kMaxWholeFileSize, OpenMode::Look);
        if (now.size() != playlist.newSize || PlaylistDigest(now) != playlist.newDigest) {
            if (now == playlist.oldBytes) {
                nothing_ = true;
                return std::nullopt;
            }
            return LeftAlone(playlist.path, " changed since the run");
        }
        if (!dryRun_ && !ReplaceFileContentsIf(playlist.path, now, playlist.oldBytes))
            return LeftAlone(playlist.path, " changed since the run");
        result_.restoredPlaylists.append({playlist.path, playlist.oldBytes});
        return std::nullopt;
    }

    void Report(const QString& text) {
        ++result_.errorCount;
        log_(QStringLiteral("Error #") + QString::number(result_.errorCount) +
             QStringLiteral(": ") + text);
    }

    static QString LeftAlone(const QString& path, const char* why) {
        return ShownInOneLine(path) + QLatin1String(why) + QStringLiteral("; left alone");
    }

    // A rename whose new name is gone: never made when the file still has its old name.
    std::optional<QString> Gone(const ChangeRecord& change, const std::optional<FileStat>& old) {
        if (change.kind == ChangeKind::Rename && old && SameFile(*old, change)) {
            nothing_ = true;
            return std::nullopt;
        }
        return LeftAlone(PathAfter(change), " is gone");
    }

    std::optional<QString> Simulate(const ChangeRecord& change) {
        const bool rename = change.kind == ChangeKind::Rename;
        const std::optional<Seen> seen = dry_.Look(PathAfter(change), !rename);
        if (!seen) {
            const std::optional<Seen> old = rename ? dry_.Look(change.path, false) : std::nullopt;
            return Gone(change, old ? std::optional<FileStat>(old->stat) : std::nullopt);
        }
        if (!SameFile(seen->stat, change))
            return LeftAlone(PathAfter(change), " is another file now");
        if (rename) {
            if (Classify(change, *seen) != State::After)
                return LeftAlone(change.newPath, " changed since the run");
            const std::optional<Seen> taken = dry_.Look(change.path, false);
            if (taken && !SameFile(taken->stat, change))
                return NameTaken(change);
            dry_.Move(change.newPath, change.path, *seen);
            result_.renamedBack.append({change.newPath, change.path});
            return std::nullopt;
        }
        switch (Classify(change, *seen)) {
        case State::Before:
            nothing_ = true;
            return std::nullopt;
        case State::Changed:
            return LeftAlone(change.path, " changed since the run");
        case State::After:
            break;
        }
        Seen undone = *seen;
        undone.stat.size = change.size;
        undone.stat.mode = change.mode;
        if (IsTagChange(change))
            undone.last = LastBytesUndone(change, seen->last);
        dry_.Change(undone);
        return std::nullopt;
    }

    static QString NameTaken(const ChangeRecord& change) {
        return QStringLiteral("Cannot rename file ") + ShownInOneLine(change.newPath) +
               QStringLiteral(" back to ") + ShownInOneLine(change.path) +
               QStringLiteral(": the name is taken; left alone");
    }

    std::optional<QString> Make(const ChangeRecord& change) {
        return change.kind == ChangeKind::Rename ? MakeRename(change) : MakeChange(change);
    }

    std::optional<QString> MakeRename(const ChangeRecord& change) {
        const std::optional<FileStat> at = StatPath(change.newPath);
        if (!at) {
            const std::optional<FileStat> old = StatPath(change.path);
            if (old && SameFile(*old, change) && old->IsRegularFile()) {
                OpenFile file(change.path, OpenMode::ReadShared);
                if (SameFile(file.Stat(), change))
                    SetBackAccessTime(file, change);
            }
            return Gone(change, old);
        }
        if (!SameFile(*at, change))
            return LeftAlone(change.newPath, " is another file now");
        // A regular file is held, locked, while its name goes back, so no run of this
        // program changes it meanwhile; its times go back with it.
        std::unique_ptr<OpenFile> file;
        FileStat seen = *at;
        if (at->IsRegularFile()) {
            file = std::make_unique<OpenFile>(change.newPath, OpenMode::ReadShared);
            seen = file->Stat();
            if (!SameFile(seen, change))
                return LeftAlone(change.newPath, " is another file now");
        }
        if (Classify(change, Seen{seen, {}}) != State::After)
            return LeftAlone(change.newPath, " changed since the run");
        // The old name may be the file's own: a new letter case on a volume that does not
        // tell case apart.
        if (const std::optional<FileStat> taken = StatPath(change.path);
            taken && !SameFile(*taken, change))
            return NameTaken(change);
        if (!RenameNoReplace(change.newPath, change.path))
            return QStringLiteral("Cannot rename file ") + ShownInOneLine(change.newPath) +
                   QStringLiteral(" back to ") + ShownInOneLine(change.path) +
                   QStringLiteral("; left alone");
        result_.renamedBack.append({change.newPath, change.path});
        if (file) {
            file->SetTimes(change.atimeNsec, change.mtimeNsec);
            file->Close();
        }
        return std::nullopt;
    }

    // Writes the old bytes at pos, over the current ones (or at the end when there are none).
    // A write that fails part-way leaves the file as it was: the current bytes go back, an
    // appended part is cut off again. The write error is the one reported.
    static void WriteBack(OpenFile& file, qint64 pos, QByteArrayView old, QByteArrayView now) {
        const qint64 size = file.Size();
        qint64 written = 0;
        try {
            file.WriteAt(pos, old, &written);
        } catch (const IoError&) {
            try {
                if (now.isEmpty())
                    file.Truncate(size);
                else
                    file.WriteAt(pos, now.first(written));
            } catch (const IoError&) {
            }
            throw;
        }
    }

    std::optional<QString> MakeChange(const ChangeRecord& change) {
        const std::optional<FileStat> at = StatPath(change.path, true);
        if (!at)
            return Gone(change, std::nullopt);
        if (!SameFile(*at, change))
            return LeftAlone(change.path, " is another file now");
        if (!at->IsRegularFile())
            return LeftAlone(change.path, " changed since the run");
        // Opened for a change only when it is writable; a read-only file is checked through
        // a shared lock (it may be as before a tag change, or as a mode change left it).
        OpenFile file(change.path, at->IsReadOnly() ? OpenMode::ReadShared : OpenMode::Change);
        if (!SameFile(file.Stat(), change))
            return LeftAlone(change.path, " is another file now");
        const Seen seen{file.Stat(), IsTagChange(change) ? LastBytesOf(file) : QByteArray()};
        switch (Classify(change, seen)) {
        case State::Before:
            nothing_ = true;
            SetBackAccessTime(file, change);
            return std::nullopt;
        case State::Changed:
            return LeftAlone(change.path, " changed since the run");
        case State::After:
            break;
        }
        switch (change.kind) {
        case ChangeKind::WriteTag:
            if (WroteOverATag(change))
                WriteBack(file, seen.stat.size - change.oldLast.size(), change.oldLast,
                          change.newLast);
            else
                file.Truncate(change.size);
            break;
        case ChangeKind::RemoveTag:
            WriteBack(file, seen.stat.size, change.oldLast, {});
            break;
        case ChangeKind::ClearReadOnly:
            file.SetMode(change.mode);
            break;
        case ChangeKind::Rename:
            break;
        }
        file.SetTimes(change.atimeNsec, change.mtimeNsec);
        file.Close();
        return std::nullopt;
    }

    bool dryRun_;
    const std::function<void(const QString&)>& log_;
    UndoResult& result_;
    DryFiles dry_;
    bool nothing_ = false;
};

} // namespace

UndoResult UndoRun(const QString& folder, const QString& id, bool dryRun,
                   const std::function<void(const QString& line)>& log) {
    UndoResult result;
    QString runId = id;
    if (runId.isEmpty()) {
        const std::optional<KeptRun> last = LastUndoableRun(folder);
        if (!last) {
            result.refusal = QStringLiteral("No run to undo");
            return result;
        }
        runId = last->id;
    }
    const QString path = JournalPath(folder, runId);
    if (!StatPath(path)) {
        result.refusal = QStringLiteral("No run ") + runId + QStringLiteral(" in the history");
        return result;
    }
    if (StatPath(UndoneMarkPath(folder, runId))) {
        result.refusal = QStringLiteral("Run ") + runId + QStringLiteral(" is already undone");
        return result;
    }
    // The journal stays locked while its run goes on, and while it is undone.
    std::unique_ptr<RecordFile> lock;
    if (!dryRun) {
        lock = std::make_unique<RecordFile>(path, RecordFile::How::OpenExisting);
        if (!lock->TryLock()) {
            result.refusal =
                QStringLiteral("Run ") + runId + QStringLiteral(" is still going or being undone");
            return result;
        }
        // Another undo may have finished while this one waited for the lock.
        if (StatPath(UndoneMarkPath(folder, runId))) {
            result.refusal = QStringLiteral("Run ") + runId + QStringLiteral(" is already undone");
            return result;
        }
    }
    const std::optional<JournalContents> journal =
        ParseJournal(ReadWholeFile(path, kMaxJournalSize));
    if (!journal) {
        result.refusal =
            QStringLiteral("Run ") + runId + QStringLiteral(" has no readable journal");
        return result;
    }

    QSet<QPair<quint64, quint64>> files;
    for (const ChangeRecord& change : journal->changes)
        files.insert({change.device, change.inode});
    log((dryRun ? QStringLiteral("Dry run, nothing is changed: undoing run ")
                : QStringLiteral("Undoing run ")) +
        runId + QStringLiteral(" (") + journal->header.caption + QStringLiteral(", ") +
        FileCountText(int(files.size())) + QStringLiteral(", ") +
        RunTimeText(journal->header.startMsec) + QStringLiteral(")"));

    Undoer undoer(dryRun, log, result);
    for (qsizetype k = journal->playlists.size() - 1; k >= 0; --k)
        undoer.UndoPlaylist(journal->playlists.at(k));
    for (qsizetype k = journal->changes.size() - 1; k >= 0; --k)
        undoer.Undo(journal->changes.at(k));

    if (!dryRun && !result.ioError) {
        RecordFile mark(UndoneMarkPath(folder, runId), RecordFile::How::CreateNew);
        mark.Append(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8() + '\n');
        mark.Sync();
        mark.Close();
    }
    log((dryRun ? QStringLiteral("Dry run complete! (") : QStringLiteral("Undo complete! (")) +
        QString::number(result.errorCount) + QStringLiteral(" errors)"));
    return result;
}

void RenameBackEntries(QStringList& entries, const QList<QPair<QString, QString>>& renamedBack) {
    QList<bool> changed(entries.size(), false);
    for (const auto& [after, before] : renamedBack) {
        for (qsizetype k = 0; k < entries.size(); ++k) {
            if (!changed.at(k) && entries.at(k) == after) {
                entries[k] = before;
                changed[k] = true;
            }
        }
    }
}

} // namespace vantuke
