#include "tag/FileSystem.h"

#include "platform/IoError.h"
#include "tag/AudioCheck.h"

#include <algorithm>
#include <vector>

namespace vantuke {

QByteArray FileSystem::FirstBytes(const QString& path, qsizetype count) {
    try {
        return FirstBytesOf(OpenFile(path, OpenMode::Look), count);
    } catch (const IoError&) {
        return {};
    }
}

QByteArray FirstBytesOf(const OpenFile& file, qsizetype count) {
    QByteArray bytes(std::min<qint64>(count, file.Size()), Qt::Uninitialized);
    file.ReadAt(0, bytes.data(), bytes.size());
    return bytes;
}

std::optional<OpenFile> DiskFileSystem::Prepared(const QString& path, OpenMode mode) {
    if (!ahead_ || (!touched_.isEmpty() && touched_.contains(path.toCaseFolded())))
        return std::nullopt;
    return ahead_->Take(path, mode);
}

void DiskFileSystem::Touched(const QString& path) {
    if (ahead_ && ahead_->Threads() > 0)
        touched_.insert(path.toCaseFolded());
}

std::unique_ptr<TagFile> DiskFileSystem::Open(const QString& path, OpenMode mode) {
    if (std::optional<OpenFile> file = Prepared(path, mode))
        return std::make_unique<DiskTagFile>(std::move(*file));
    return std::make_unique<DiskTagFile>(path, mode);
}

std::unique_ptr<TagFile> DiskFileSystem::OpenIfFree(const QString& path, FileStat& busy) {
    if (std::optional<OpenFile> file = Prepared(path, OpenMode::Change))
        return std::make_unique<DiskTagFile>(std::move(*file));
    auto file = std::make_unique<DiskTagFile>(path, OpenMode::Change, LockWait::DontWait);
    if (file->Busy() && ahead_ && ahead_->Threads() > 0) {
        // The lock may be one the read-ahead holds for a later entry (the same file under
        // another name, or named twice): it lets go of it for this open, also when a thread
        // is opening it just now.
        const LockWanted wanted(file->Stat());
        ahead_->Settle();
        file = std::make_unique<DiskTagFile>(path, OpenMode::Change, LockWait::DontWait);
    }
    if (!file->Busy())
        return file;
    busy = file->Stat();
    return nullptr;
}

void DiskFileSystem::WillOpen(const QStringList& paths, OpenMode mode, qint64 head) {
    ahead_.reset();
    touched_.clear();
    // Where nothing is read ahead (a local disk), nothing is kept of the paths either.
    const int threads = paths.isEmpty() ? 0 : IoThreadsFor(paths.first());
    if (threads == 0)
        return;
    std::vector<AheadBytes> bytes;
    bytes.reserve(size_t(paths.size()));
    for (const QString& path : paths) {
        const qint64 check = Mp3CheckBytes(path);
        if (mode == OpenMode::Change && check > 0)
            bytes.push_back({std::max(head, check), 0, true});
        else
            bytes.push_back({std::max(head, mode == OpenMode::Look ? check : 0), kTagEndSize});
    }
    ahead_ = std::make_unique<ReadAhead>(paths, mode, std::move(bytes), threads);
}

bool DiskFileSystem::Rename(const QString& from, const QString& to) {
    Touched(from);
    Touched(to);
    return RenameNoReplace(from, to);
}

bool DiskFileSystem::ClearReadOnly(const QString& path) {
    if (!MakeWritable(path))
        return false;
    Touched(path);
    return true;
}

QByteArray DiskFileSystem::FirstBytes(const QString& path, qsizetype count) {
    const OpenFile* file = ahead_ ? ahead_->Peek(path, OpenMode::Look) : nullptr;
    if (!file)
        return FileSystem::FirstBytes(path, count);
    try {
        return FirstBytesOf(*file, count);
    } catch (const IoError&) {
        return {};
    }
}

bool ReadTagIfPresent(FileSystem& files, const QString& path, TTagRecord& record,
                      QString* id3v2Version) {
    return ReadTagIfPresent(*files.Open(path, OpenMode::Read), record, id3v2Version);
}

} // namespace vantuke
