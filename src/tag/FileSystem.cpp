#include "tag/FileSystem.h"

#include "platform/IoError.h"

#include <algorithm>

namespace vantuke {

QByteArray FileSystem::FirstBytes(const QString& path, qsizetype count) {
    try {
        const OpenFile file(path, OpenMode::Look);
        QByteArray bytes(std::min<qint64>(count, file.Size()), Qt::Uninitialized);
        file.ReadAt(0, bytes.data(), bytes.size());
        return bytes;
    } catch (const IoError&) {
        return {};
    }
}

} // namespace vantuke
