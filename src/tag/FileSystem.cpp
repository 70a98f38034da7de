#include "tag/FileSystem.h"

#include "platform/IoError.h"

#include <algorithm>

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

void DiskFileSystem::WillOpen(const QStringList& paths, OpenMode mode) {
    ahead_.reset();
    if (mode == OpenMode::Read || mode == OpenMode::Look)
        ahead_ = std::make_unique<ReadAhead>(paths, mode, kTagAhead);
}

bool ReadTagIfPresent(FileSystem& files, const QString& path, TTagRecord& record) {
    return ReadTagIfPresent(*files.Open(path, OpenMode::Read), record);
}

} // namespace vantuke
