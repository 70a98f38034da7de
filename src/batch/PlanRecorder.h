#pragma once

#include "batch/RunPlan.h"
#include "tag/FileSystem.h"

#include <QHash>
#include <QStringList>
#include <optional>

namespace vantuke {

// Records what each entry of a run does into a plan: the files of the run pass through it
// (a decorator of the run's FileSystem), so it sees every tag looked at, written or cut,
// every rename and every read-only mode cleared; the frame marks where each entry begins and
// ends, and the steps and hosts add the notes only they know. It works on the real files as
// on a dry run's model alike.
class PlanRecorder final : public FileSystem {
public:
    // entries: the run's entries as it starts, to name the entry whose file has a name
    // another entry wanted. The error count goes into plan.
    PlanRecorder(RunPlan& plan, const QStringList& entries);

    // Where the calls go on to: the model a chunk is planned on, or the files of an entry
    // that runs at once.
    void SetFiles(FileSystem& files) { files_ = &files; }

    void BeginEntry(int i, const QString& path);
    // Ends the current entry (also one an I/O error broke off) and gives its item.
    PlanItem EndEntry();
    // A note of the current entry.
    void Note(PlanNote kind, const QString& text);
    void CountError() { ++plan_.errorCount; }
    // What the run did, or would do, to a playlist that lists files it renamed.
    void PlaylistDone(const PlaylistPlan& playlist) { plan_.playlists.append(playlist); }
    // Notes why the current entry's rename failed: the name taken (by which entry, when one
    // holds it), the file missing, the folder missing or not writable, the name too long.
    void RenameFailed(const QString& path, const QString& newPath);

    std::optional<FileStat> Stat(const QString& path) override { return files_->Stat(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;
    QByteArray FirstBytes(const QString& path, qsizetype count) override {
        return files_->FirstBytes(path, count);
    }

    // The plan of the entries from number on was dropped, unmade: the names they moved go
    // back, and the error count is errorCount again.
    void ForgetFrom(int number, int errorCount);
    // The entries so far stand as recorded.
    void KeepAll() { moved_.clear(); }

private:
    class File;
    void Looked(QByteArrayView last);
    // Notes each text field of a tag whose bytes are no text of the run's code page.
    void NoteBytesNotInCodePage(QByteArrayView tag);
    void Wrote(const TTagRecord& record);
    // Notes each field that held a value before and is written empty (a track taken away, a
    // genre of the table written as none).
    void NoteEmptied(const RawTag& before, const TTagRecord& after);
    void Removed();
    // Entry number gives the name to holder, or frees it.
    void Move(int number, const QString& name, std::optional<int> holder);

    FileSystem* files_ = nullptr;
    RunPlan& plan_;
    PlanItem item_;
    bool inEntry_ = false;
    bool looked_ = false;
    // Which entry's file has a name, by entry number: each entry's own path at first, then
    // moved with every rename. Kept only for processes that rename.
    QHash<QString, int> holders_;
    // Each name whose holder changed since KeepAll, with the holder before (none: not held),
    // last change last.
    struct Moved {
        int number;
        QString name;
        std::optional<int> before;
    };
    QList<Moved> moved_;
};

} // namespace vantuke
