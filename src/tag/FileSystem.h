#pragma once

#include "platform/FileAccess.h"
#include "platform/ReadAhead.h"
#include "tag/TagFile.h"

#include <QByteArray>
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
    std::unique_ptr<TagFile> OpenIfFree(const QString& path, FileStat& busy) override {
        auto file = std::make_unique<DiskTagFile>(path, OpenMode::Change, LockWait::DontWait);
        if (!file->Busy())
            return file;
        busy = file->Stat();
        return nullptr;
    }
    // Reads ahead the files opened for reading only (OpenMode::Read, Look): the head, the end
    // a tag is read from (kTagEndSize bytes), and for a look (a dry run's, which checks a file
    // as the real run does before a change) the first bytes IsMp3File looks at. Files opened
    // for a change are not: a rename or a cleared mode earlier in the run may change what a
    // later entry's path names, which only the run can tell.
    void WillOpen(const QStringList& paths, OpenMode mode, qint64 head) override;
    // The start of a file read ahead for OpenMode::Look comes from memory, and the file stays
    // for the open that follows.
    QByteArray FirstBytes(const QString& path, qsizetype count) override;
    bool Rename(const QString& from, const QString& to) override {
        return RenameNoReplace(from, to);
    }
    bool ClearReadOnly(const QString& path) override { return MakeWritable(path); }

private:
    std::unique_ptr<ReadAhead> ahead_;
};

// Reads the tag of a file opened for reading only (the file list, "List files/TAGs"): false,
// with the record untouched, when the file has none; with id3v2Version, also the version of
// its ID3v2 tag. Works on read-only files. The tags of a list of files are read fastest after
// files.WillOpen(paths, OpenMode::Read, 0).
bool ReadTagIfPresent(FileSystem& files, const QString& path, TTagRecord& record,
                      QString* id3v2Version = nullptr);

} // namespace vantuke
