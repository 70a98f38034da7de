#pragma once

#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "tag/FileChange.h"
#include "tag/FileSystem.h"
#include "tag/TagRecord.h"

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace vantuke {

// A file the plan of a real run keeps open (and locked) until its planned changes are made.
struct PlannedFile;

// A change planned on the model of a real run: the change as it will be recorded (a tag
// write with the bytes it writes), and the file it is made on, open and locked since it was
// planned (a tag change's file; for a rename, the file when its entry holds it open).
struct PlannedChange {
    FileChange change;
    std::shared_ptr<PlannedFile> file;
};

// Makes a planned change on files, checked against the state it was planned on. False, with
// nothing changed, when it does not turn out as planned: the file was cut or lengthened
// meanwhile by a program that ignores the lock, the name was taken meanwhile, the write
// failed (a full disk). The file of a tag change is closed after its last planned change
// when the entry had closed it.
bool MakePlannedChange(PlannedChange& planned, FileSystem& files);

// What MakePlannedChanges came to.
struct MadeChanges {
    // How many changes, from the first on, turned out as planned: the next one did not, and
    // none after it is made.
    std::size_t count = 0;
    // A change after that one that was made all the same and could not be put back.
    std::optional<IoError> notPutBack;
};

// Makes the planned changes in order, as MakePlannedChange does each, and stops at the first
// that does not turn out as planned. Where files.ChangesAtOnce() says so, the tag changes of
// different files between two renames are made together, a few windows' worth at a time
// (one file's in their order; renames stay in plan order): the tag changes after the first
// failure that were made meanwhile are put back (TagFile::PutBack), and files are left as
// the same changes made one after another would leave them.
MadeChanges MakePlannedChanges(std::vector<PlannedChange>& planned, FileSystem& files);

// The files as a run would leave them, without changing any. Files are read through the
// given files (the disk); each change a run asks for (a tag written or cut, a rename, a
// read-only mode cleared) goes into a model instead, so that every later call sees the names,
// sizes, modes and tag bytes the run would have made: a name an earlier rename took is taken,
// a name it gave up is free, a tag it wrote is there to be read and a tag it cut is gone.
//
// Each call fails where the real one would fail now: an open of a missing, short or
// read-only file (the owner-write permission, or no write access at all), a rename onto a
// name taken on disk or in the model, into a missing folder, or to a name too long for its
// folder. What the disk only shows while it is written to (a full disk, a failing device)
// cannot be foreseen.
class PlanningFileSystem final : public FileSystem {
public:
    enum class Opening {
        // A dry run: files are opened for reading only, without a lock and without touching
        // their access times, and nothing is ever written.
        Look,
        // A chunk of a real run: a file opened for a change is opened and locked on the disk,
        // and stays so until its planned changes are made (Planned, Clear). An entry that
        // cannot be made from a plan is told apart (EntryRunsAtOnce).
        Lock,
    };

    PlanningFileSystem(FileSystem& disk, Opening opening);
    ~PlanningFileSystem() override;
    PlanningFileSystem(const PlanningFileSystem&) = delete;
    PlanningFileSystem& operator=(const PlanningFileSystem&) = delete;

    std::optional<FileStat> Stat(const QString& path) override;
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    // Passed on to the disk: for reading only in a dry run (the model opens every file so),
    // for a change in a real run.
    void WillOpen(const QStringList& paths, OpenMode mode, qint64 head) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;
    QByteArray FirstBytes(const QString& path, qsizetype count) override;

    // A new entry is planned.
    void BeginEntry();
    // Opening::Lock: true when the entry planned since BeginEntry cannot be made from the plan
    // and must run with each change made at once: it clears a read-only mode (a file this
    // run cannot open for a change until then), or it opens a file whose lock another program
    // holds while the plan holds locks of its own (waiting could wait for ever).
    bool EntryRunsAtOnce() const { return runsAtOnce_; }
    // Opening::Lock: the changes planned since the last Clear, in order.
    std::vector<PlannedChange>& Planned() { return planned_; }
    // Forgets the model and every planned change; the files the plan kept open are closed.
    void Clear();

private:
    // A file the model has changed. Its bytes are the first diskBytes bytes of the file on disk,
    // followed by tail: every change a run makes to a file writes or cuts at its end (the tag
    // and its Enhanced TAG block).
    struct Node {
        QString path; // where the model has it now
        // Moved by a rename, the bytes of its name on disk: a run that renames many files
        // keeps the names they leave as compactly as this. Empty while it is not moved.
        QByteArray diskName;
        FileStat stat; // as on disk, with the model's size and mode
        qint64 diskBytes = 0;
        QByteArray tail;
        bool modeCleared = false; // the model gave it the owner's write permission

        // Moved by a rename: its name on disk is free in the model.
        bool Moved() const { return !diskName.isEmpty(); }
        // A name of the file on disk, to read its bytes through.
        QString DiskPath() const { return Moved() ? NameFromBytes(diskName) : path; }
    };
    class File;
    using Identity = QPair<quint64, quint64>; // device, inode

    // What a path names in the model: nothing, a file on disk the model has not changed
    // (node empty), or a changed file (node).
    struct Found {
        std::optional<FileStat> stat;
        Node* node = nullptr;
    };
    Found Find(const QString& path) const;
    // The changed file a rename gave this name, if it still has it.
    Node* Named(const QString& path) const;
    // The changed file of this identity, made (under path) on its first change.
    Node& NodeOf(const QString& path, const FileStat& stat);
    // What a folder allows, looked at once per run.
    FolderAccess Folder(QStringView folder);
    // The disk file under an open: read-only for a look; for a change in Opening::Lock, the
    // plan's own open and locked file.
    std::shared_ptr<PlannedFile> OpenDisk(const QString& path, OpenMode mode, const Node* node);
    // The plan's own open file of this identity: one the entry opened, or one a planned
    // change holds. Null when the plan holds none.
    std::shared_ptr<PlannedFile> HeldFile(const FileStat& stat) const;
    void Plan(FileChange&& change, const std::shared_ptr<PlannedFile>& file) {
        planned_.push_back(PlannedChange{std::move(change), file});
    }

    FileSystem& disk_;
    const Opening opening_;
    // Every file the model has changed, kept here, and found by identity: a file reached by
    // another name (a second link, another letter case on a FAT volume) is the same file.
    std::deque<Node> store_;
    QHash<Identity, Node*> nodes_;
    // The names renames gave: where a changed file is now (or was, when it moved on). The name
    // a rename leaves is free without an entry: the disk still has the file there, and the
    // file is one the model moved.
    QHash<QString, Node*> names_;
    QHash<QString, FolderAccess> folders_;
    QString lastFolder_; // the folder of the last Folder() look, and what it allows
    FolderAccess lastAccess_;
    // Opening::Lock: how many files the plan has open and locked; those the current entry
    // opened; the changes planned.
    int lockedCount_ = 0;
    std::vector<std::weak_ptr<PlannedFile>> entryFiles_;
    std::vector<PlannedChange> planned_;
    bool runsAtOnce_ = false;
};

} // namespace vantuke
