#include "tag/FileChange.h"

#include <algorithm>

namespace vantuke {

FileChange StartChange(FileChange::Kind kind, const QString& path, const FileStat& now,
                       const FileStat& first) {
    FileChange change;
    change.kind = kind;
    change.path = path;
    change.before = now;
    change.before.atimeNsec = first.atimeNsec;
    change.before.mtimeNsec = first.mtimeNsec;
    change.newSize = now.size;
    change.newMode = now.mode;
    return change;
}

FileChange TagWrite(const QString& path, const FileStat& now, const FileStat& first,
                    QByteArrayView oldLast, const char* newLast) {
    FileChange change = StartChange(FileChange::Kind::WriteTag, path, now, first);
    std::copy_n(oldLast.data(), kTagSize, change.oldLast.data());
    std::copy_n(newLast, kTagSize, change.newLast.data());
    if (!IsTagMarker(oldLast))
        change.newSize += kTagSize;
    return change;
}

FileChange TagCut(const QString& path, const FileStat& now, const FileStat& first,
                  QByteArrayView oldLast) {
    FileChange change = StartChange(FileChange::Kind::RemoveTag, path, now, first);
    std::copy_n(oldLast.data(), kTagSize, change.oldLast.data());
    change.newSize -= kTagSize;
    return change;
}

} // namespace vantuke
