#pragma once

#include "platform/FileAccess.h"
#include "platform/ReadAhead.h"
#include "tag/TagFile.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace vantuke {

// Every access a run makes to the files it works on: opening an entry's file for its tag,
// renaming it and clearing its read-only mode. The real one works on disk through the safe
// file layer; another can keep a model of names and tags instead, or record each change
// before passing it on.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The file or link a path names (a final link is not followed); nothing when the name
    // does not exist.
    virtual std::optional<FileStat> Stat(const QString& path) = 0;
    // Opens a file for its tag; see OpenMode. Throws IoError.
    virtual std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) = 0;
    // Opens a file for a change (OpenMode::Change) unless another open file description holds
    // its lock: then nothing, and busy is the locked file (who it is), so that a caller that
    // holds locks itself never waits for one. Files that cannot tell wait, as Open does.
    virtual std::unique_ptr<TagFile> OpenIfFree(const QString& path, FileStat& busy) {
        (void)busy;
        return Open(path, OpenMode::Change);
    }
    // Says which files are about to be opened, in this order, each with mode, and that at
    // least the first head bytes of each will be read (an ID3v2 header, say): a file system
    // may open and read them ahead, so that on a network file system the waits overlap.
    // Open still opens each, and meets each failure, as ever. The last call counts.
    virtual void WillOpen(const QStringList& paths, OpenMode mode, qint64 head) {
        (void)paths;
        (void)mode;
        (void)head;
    }
    // Renames from to to; never replaces an existing name and never copies. False, with
    // nothing changed, on any failure.
    virtual bool Rename(const QString& from, const QString& to) = 0;
    // Gives a read-only file its owner's write permission; true when the mode changed. Never
    // fails.
    virtual bool ClearReadOnly(const QString& path) = 0;
    // How many tag changes of different files are best made at once (MakePlannedChanges):
    // more than one where each call waits for a round trip (a network file system), else 0.
    virtual int ChangesAtOnce() const { return 0; }
    // The first count bytes of the file a path names (fewer when it is shorter), read for
    // reading only with its access time left as it was; empty when it cannot be read. Never
    // fails. Read from the disk, unless the file system keeps files of its own.
    virtual QByteArray FirstBytes(const QString& path, qsizetype count);
};

// The first count bytes of an open file (fewer when it is shorter). Throws IoError.
QByteArray FirstBytesOf(const OpenFile& file, qsizetype count);

// The files on disk.
class DiskFileSystem final : public FileSystem {
public:
    std::optional<FileStat> Stat(const QString& path) override { return StatPath(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    std::unique_ptr<TagFile> OpenIfFree(const QString& path, FileStat& busy) override;
    // Reads ahead the files: the head, the end a tag is read from (kTagEndSize bytes), and
    // for a look (a dry run's, which checks a file as the real run does before a change) the
    // first bytes IsMp3File looks at. Files for a change are opened for it and locked, all
    // but those whose name does not end in ".mp3": IsMp3File looks at their first bytes
    // before anything may open them for a change, so they are opened for a look at those.
    // From then on a name a rename took or gave up, in any letter case, and a file whose mode
    // was cleared, are opened anew: what was read ahead for them may be another file now.
    void WillOpen(const QStringList& paths, OpenMode mode, qint64 head) override;
    // The start of a file read ahead for OpenMode::Look comes from memory, and the file stays
    // for the open that follows.
    QByteArray FirstBytes(const QString& path, qsizetype count) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;
    int ChangesAtOnce() const override { return ahead_ ? ahead_->Threads() : 0; }

private:
    // The file read ahead for path, when there is one and it is still the file path names.
    std::optional<OpenFile> Prepared(const QString& path, OpenMode mode);
    // Nothing read ahead for path is taken from now on.
    void Touched(const QString& path);

    std::unique_ptr<ReadAhead> ahead_;
    QSet<QString> touched_; // case-folded
};

// Reads the tag of a file opened for reading only (the file list, "List files/TAGs"): false,
// with the record untouched, when the file has none; with id3v2Version, also the version of
// its ID3v2 tag. Works on read-only files. The tags of a list of files are read fastest after
// files.WillOpen(paths, OpenMode::Read, 0).
bool ReadTagIfPresent(FileSystem& files, const QString& path, TTagRecord& record,
                      QString* id3v2Version = nullptr);

} // namespace vantuke
