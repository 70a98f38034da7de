#pragma once

#include "platform/FileAccess.h"
#include "tag/TagFile.h"

#include <QByteArray>
#include <QString>
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

// The files on disk.
class DiskFileSystem final : public FileSystem {
public:
    std::optional<FileStat> Stat(const QString& path) override { return StatPath(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override {
        return std::make_unique<DiskTagFile>(path, mode);
    }
    bool Rename(const QString& from, const QString& to) override {
        return RenameNoReplace(from, to);
    }
    bool ClearReadOnly(const QString& path) override { return MakeWritable(path); }
};

} // namespace vantuke
