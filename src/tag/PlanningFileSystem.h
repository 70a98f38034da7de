#pragma once

#include "tag/FileSystem.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <memory>

namespace vantuke {

// The files as a run would leave them, without changing any. Files on disk are only read,
// for reading only and without touching their access times; each change a run asks for (a
// tag written or cut, a rename, a read-only mode cleared) goes into a model instead, so that
// every later call sees the names, sizes, modes and tag bytes the run would have made: a name
// an earlier rename took is taken, a name it gave up is free, a tag it wrote is there to be
// read and a tag it cut is gone.
//
// Each call fails where the real one would fail now: an open of a missing, short or
// read-only file (the owner-write permission, or no write access at all), a rename onto a
// name taken on disk or in the model, into a missing folder, or to a name too long for its
// folder. What the disk only shows while it is written to (a full disk, a failing device)
// cannot be foreseen.
class PlanningFileSystem final : public FileSystem {
public:
    PlanningFileSystem();
    ~PlanningFileSystem() override;
    PlanningFileSystem(const PlanningFileSystem&) = delete;
    PlanningFileSystem& operator=(const PlanningFileSystem&) = delete;

    std::optional<FileStat> Stat(const QString& path) override;
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override;
    bool Rename(const QString& from, const QString& to) override;
    bool ClearReadOnly(const QString& path) override;
    QByteArray FirstBytes(const QString& path, qsizetype count) override;

private:
    struct Planned;
    class File;
    using Identity = QPair<quint64, quint64>; // device, inode

    // What a path names in the model: nothing, a file on disk the model has not changed
    // (node empty), or a changed file (node).
    struct Found {
        std::optional<FileStat> stat;
        std::shared_ptr<Planned> node;
    };
    Found Find(const QString& path) const;
    // The changed file of this identity, made (under path) on its first change.
    std::shared_ptr<Planned> Node(const QString& path, const FileStat& stat);
    // What a folder allows, looked at once per run.
    FolderAccess Folder(QStringView folder);

    // Every file the model has changed, by identity: a file reached by another name (a
    // second link, another letter case on a FAT volume) is the same file.
    QHash<Identity, std::shared_ptr<Planned>> files_;
    // Names the model has changed: where a changed file now is; null where a rename freed
    // the name.
    QHash<QString, std::shared_ptr<Planned>> names_;
    QHash<QString, FolderAccess> folders_;
};

} // namespace vantuke
