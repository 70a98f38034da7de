#pragma once

#include "batch/RunPlan.h"
#include "tag/FileSystem.h"

#include <QHash>
#include <QStringList>
#include <functional>
#include <optional>

namespace vantuke {

// Records what each entry of a run does into a plan: the files of the run pass through it
// (a decorator of the run's FileSystem), so it sees every tag looked at, written or cut,
// every rename and every read-only mode cleared; the frame marks where each entry begins and
// ends, and the steps and hosts add the notes only they know. It works on the real files as
// on a dry run's model alike.
class PlanRecorder final : public FileSystem {
public:
    using EntryDone = std::function<void(const PlanItem&)>;

    // entries: the run's entries as it starts, to name the entry whose file has a name
    // another entry wanted. Each item goes, as its entry ends, to entryDone when one is given
    // (and the plan keeps none: a long run holds one item at a time), else into the plan.
    PlanRecorder(FileSystem& files, RunPlan& plan, const QStringList& entries,
                 EntryDone entryDone = {});

    void BeginEntry(int i, const QString& path);
    // Ends the current entry, if one is going on (also one an I/O error broke off).
    void EndEntry();
    // A note of the current entry.
    void Note(PlanNote kind, const QString& text);
    void CountError() { ++plan_.errorCount; }
    // Notes why the current entry's rename failed: the name taken (by which entry, when one
    // holds it), the file missing, the folder missing or not writable, the name too long.
    void RenameFailed(const QString& path, const QString& newPath);

    std::optional<FileStat> Stat(const QString& path) override { return files_.Stat(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;
    QByteArray FirstBytes(const QString& path, qsizetype count) override {
        return files_.FirstBytes(path, count);
    }

    // While the run holds its changes back (the undo history makes them in groups), an
    // ended entry's item waits until the frame says its changes are made, so that the items
    // are those of a run that made every change at once.
    void SetHolding(bool hold) { holding_ = hold; }
    // The waiting items go on, first to last.
    void ReleaseHeld();
    // The entries from i on run again: the waiting items of those before go on, theirs and
    // the entry going on are dropped, the names they moved go back, and the error count is
    // errorCount again.
    void GoBack(int i, int errorCount);

private:
    class File;
    void Looked(QByteArrayView last);
    // Notes each text field of a tag whose bytes are no text of the run's code page.
    void NoteBytesNotInCodePage(QByteArrayView tag);
    void Wrote(const TTagRecord& record);
    // Notes each field that held a value before and is written empty (a genre of the table
    // written as none).
    void NoteEmptied(const RawTag& before, const TTagRecord& after);
    void Removed();

    FileSystem& files_;
    RunPlan& plan_;
    EntryDone entryDone_;
    PlanItem item_;
    bool inEntry_ = false;
    bool looked_ = false;
    // Which entry's file has a name, by entry number: each entry's own path at first, then
    // moved with every rename. Kept only for processes that rename.
    QHash<QString, int> holders_;
    bool holding_ = false;
    QList<PlanItem> held_;
    // While holding: each name whose holder an entry changed, with the holder before (none:
    // not held), last change last.
    struct Moved {
        int number;
        QString name;
        std::optional<int> before;
    };
    QList<Moved> moved_;
    // Entry number gives the name to holder, or frees it.
    void Move(int number, const QString& name, std::optional<int> holder);
    void Pass(PlanItem&& item);
};

} // namespace vantuke
