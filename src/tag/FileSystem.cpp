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

std::unique_ptr<TagFile> DiskFileSystem::Open(const QString& path, OpenMode mode) {
    if (ahead_) {
        if (std::optional<OpenFile> file = ahead_->Take(path, mode))
            return std::make_unique<DiskTagFile>(std::move(*file));
    }
    return std::make_unique<DiskTagFile>(path, mode);
}

void DiskFileSystem::WillOpen(const QStringList& paths, OpenMode mode, qint64 head) {
    ahead_.reset();
    if (mode != OpenMode::Read && mode != OpenMode::Look)
        return;
    std::vector<AheadBytes> bytes;
    bytes.reserve(size_t(paths.size()));
    for (const QString& path : paths) {
        const qint64 check = mode == OpenMode::Look ? Mp3CheckBytes(path) : 0;
        bytes.push_back({std::max(head, check), kTagEndSize});
    }
    ahead_ = std::make_unique<ReadAhead>(paths, mode, std::move(bytes));
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
