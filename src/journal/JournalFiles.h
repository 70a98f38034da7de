#pragma once

#include "journal/JournalWriter.h"
#include "platform/FileAccess.h"
#include "tag/ChangeBatcher.h"
#include "tag/FileSystem.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace vantuke {

// How many changes a run holds back at most, and for how long at most.
struct HoldLimits {
    int changes = 1000;
    qint64 msec = 100;
};

// The files of a run that keeps its undo history. Every change (a tag written or cut off, a
// rename, a read-only mode cleared) is recorded in the journal, and the record is on the
// disk before the change is made.
//
// So that one flush of the journal covers many changes, changes are held back while the
// frame lets it (ChangeBatcher): the steps run as usual (the real open, lock and reads, the
// real decisions), but a tag change or rename only adds its record and is queued, its file
// kept open and locked; the step is told the result the change will have. A rename's result
// is foreseen from the names as the held renames leave them and as the disk has them
// otherwise. Commit flushes the records once, then makes the held changes in order, each
// marked as made in the journal's next flush. A change that does not come out as foreseen
// (refused, failed, or its file changed meanwhile by a program that ignores the lock) stops
// the commit there; the frame runs its entry again with changes made at once.
//
// A read-only mode is never cleared while changes are held: they are made first, then the
// old mode is recorded and flushed on its own. An open of a name a held rename gives or
// takes has the held changes made first, and so has a file whose lock is taken: by one of
// the held changes, or by another run, which may itself wait for one of them.
class JournalFiles final : public FileSystem, public ChangeBatcher {
public:
    // files: where the changes are made (the disk); journal: where they are recorded.
    JournalFiles(FileSystem& files, JournalWriter& journal, HoldLimits limits);
    // Held changes still there are dropped, their files closed unchanged.
    ~JournalFiles() override;
    JournalFiles(const JournalFiles&) = delete;
    JournalFiles& operator=(const JournalFiles&) = delete;

    std::optional<FileStat> Stat(const QString& path) override;
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;

    void BeginEntry(int i) override;
    void SetHolding(bool hold) override;
    bool HoldsChanges() const override;
    bool WantsCommit() const override;
    std::optional<int> Commit() override;

    // Records the marks of the last changes made and closes the journal. Held changes must
    // have been committed or dropped.
    void Finish();

private:
    class File;
    struct Handle;
    struct Held;

    ChangeRecord TagChange(File& file, ChangeKind kind);
    void WriteTag(File& file, const TTagRecord& record);
    bool RemoveTag(File& file);
    void Hold(Held held);
    // Records the change and flushes it, before it is made at once.
    void RecordNow(const ChangeRecord& change);
    void Count(const ChangeRecord& change);
    bool Make(Held& held);
    void DropHeld();
    bool MayTakeName(const QString& from, const QString& to, const FileStat& source);
    // What has the name: the held renames say, or else the folder's names and the disk.
    std::optional<FileStat> NameHolder(const QString& path);
    // A rename was made: the folders' names follow it.
    void NameMoved(const QString& from, const QString& to);
    // A new change of kind to the file at path, now as stat says and its times as the entry
    // first saw it (seen), leaving its size and mode as they are until the caller says more.
    ChangeRecord NewChange(ChangeKind kind, const QString& path, const FileStat& now,
                           const FileStat& seen);

    FileSystem& files_;
    JournalWriter& journal_;
    HoldLimits limits_;
    LockWaitHook lockWait_;
    bool holding_ = false;
    int entry_ = -1;
    quint32 sequence_ = 0;
    std::deque<Held> held_;
    // The records of held tag writes, by the place of their change in held_: copies of their
    // bytes, kept from window to window so that a run does not allocate them anew.
    std::vector<TTagRecord> heldRecords_;
    QElapsedTimer heldSince_;
    // Names as the held renames leave them: a name taken by a file, or freed (nothing).
    QHash<QString, std::optional<FileStat>> names_;
    // The names of a folder the run renames in often: listed once, then kept up to date with
    // the run's own renames. A name it lacks is free without a look-up on the disk, which for
    // a name that does not exist is the costly kind; one it holds is looked up. A name another
    // program takes meanwhile makes the rename fail when it is made, as any surprise does.
    struct FolderNames {
        int lookups = 0;
        bool listed = false;
        QHash<size_t, int> names; // the names' hashes, each with how many names have it
    };
    QHash<QString, std::shared_ptr<FolderNames>> folders_;
    // The files the current entry opened for a change (one, or the same one twice when it
    // asks a question): by path, with the file as first opened, before anything read it,
    // whose times a change records.
    struct Opened {
        QString path;
        std::weak_ptr<Handle> handle;
        FileStat first;
    };
    QList<Opened> opened_;
    // The identity of each change's file, counted at the end.
    std::vector<std::pair<quint64, quint64>> changedFiles_;
};

} // namespace vantuke
