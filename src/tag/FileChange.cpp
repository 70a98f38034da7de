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

namespace {

// The bytes of end a tag change writes over or cuts: the tag with its Enhanced TAG block, or
// the last 128 bytes of a file without a tag.
void KeepOld(QByteArrayView end, FileChange& change) {
    const QByteArrayView old = end.last(std::max(kTagSize, ReadTagEnd(end).size));
    std::copy_n(old.data(), old.size(), change.oldLast.data());
    change.oldLastSize = old.size();
}

} // namespace

FileChange TagWrite(const QString& path, const FileStat& now, const FileStat& first,
                    QByteArrayView end, QByteArrayView written) {
    FileChange change = StartChange(FileChange::Kind::WriteTag, path, now, first);
    KeepOld(end, change);
    std::copy_n(written.data(), written.size(), change.newLast.data());
    change.newLastSize = written.size();
    if (!IsTagMarker(end.last(kTagSize)))
        change.newSize += kTagSize;
    return change;
}

FileChange TagCut(const QString& path, const FileStat& now, const FileStat& first,
                  QByteArrayView end) {
    FileChange change = StartChange(FileChange::Kind::RemoveTag, path, now, first);
    KeepOld(end, change);
    change.newSize -= change.oldLastSize;
    return change;
}

} // namespace vantuke
