#pragma once

#include "journal/JournalWriter.h"
#include "tag/FileSystem.h"
#include "tag/PlanningFileSystem.h"

#include <QList>
#include <QString>

#include <utility>
#include <vector>

namespace vantuke {

// The files of a run that keeps its undo history, and its journal. Every change the run makes
// is recorded in the journal, and the record is on the disk before the change is made: the
// planned changes of a chunk all with one flush (Record, and Made once they are made), and,
// as the files of an entry that runs at once, each change on its own, recorded and flushed
// before the step's call makes it.
class JournalFiles final : public FileSystem {
public:
    // files: where the changes are made (the disk); journal: where they are recorded.
    JournalFiles(FileSystem& files, JournalWriter& journal);

    std::optional<FileStat> Stat(const QString& path) override { return files_.Stat(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;
    // An entry starts to run at once: the times its changes record are those of its files as
    // it first opened them, before anything read them.
    void BeginEntry() { opened_.clear(); }

    // Records planned changes, in order, and flushes them once. Throws IoError: then none of
    // them may be made.
    void Record(const std::vector<PlannedChange>& planned);
    // The first count changes of the last Record were made.
    void Made(qsizetype count);

    // Records the marks of the last changes made and closes the journal.
    void Finish();

private:
    class File;

    // Adds the change's record and returns its sequence number.
    quint32 Add(const FileChange& change);
    // The same, flushed to the disk before the caller makes the change.
    quint32 RecordNow(const FileChange& change);
    // The file as the current entry first opened it, or now when it did not.
    const FileStat& FirstSeen(const FileStat& now) const;

    FileSystem& files_;
    JournalWriter& journal_;
    quint32 sequence_ = 0;
    quint32 firstRecorded_ = 0; // the sequence number of the first change of the last Record
    // The files the current entry opened for a change, as first opened.
    QList<FileStat> opened_;
    // The identity of each change's file, counted at the end.
    std::vector<std::pair<quint64, quint64>> changedFiles_;
};

} // namespace vantuke
