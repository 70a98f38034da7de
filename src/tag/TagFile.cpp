#include "tag/TagFile.h"

#include "platform/IoError.h"
#include "tag/Id3v2Tag.h"
#include "tag/RecycledMemory.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace vantuke {

// A run keeps up to this many files open at once, holding their changes back.
using FileMemory = RecycledMemory<DiskTagFile, 4096>;

void* DiskTagFile::operator new(std::size_t size) {
    return FileMemory::Take(size);
}

void DiskTagFile::operator delete(void* memory, std::size_t size) {
    FileMemory::Give(memory, size);
}

qint64 DiskTagFile::TagStart() const {
    const qint64 start = file_.Size() - kTagSize;
    if (start < 0)
        throw IoError::FromErrno(EINVAL).WithPath(file_.Path());
    return start;
}

QByteArrayView DiskTagFile::LastBytes() {
    if (!haveLast_) {
        file_.ReadAt(TagStart(), last_.data(), kTagSize);
        haveLast_ = true;
    }
    return QByteArrayView(last_.data(), kTagSize);
}

void DiskTagFile::WriteTag(const TTagRecord& record) {
    std::array<char, kTagSize> built;
    BuildTag(record, built.data());
    const QByteArrayView tag(built.data(), kTagSize);
    if (HasTag()) {
        const qint64 start = TagStart();
        qint64 written = 0;
        try {
            file_.WriteAt(start, tag, &written);
        } catch (const IoError&) {
            // Half a new tag over half the old one is a tag nobody wrote: the part that
            // reached the file gets its old bytes back. The write error is the one to report.
            try {
                file_.WriteAt(start, QByteArrayView(last_.data(), written));
            } catch (const IoError&) {
            }
            throw;
        }
    } else {
        const qint64 oldSize = file_.Size();
        try {
            file_.WriteAt(oldSize, tag);
        } catch (const IoError&) {
            // A half-written tag would be taken for audio: give the file its old size back.
            try {
                file_.Truncate(oldSize);
            } catch (const IoError&) {
            }
            throw;
        }
    }
    last_ = built;
    haveLast_ = true;
}

bool DiskTagFile::RemoveTag() {
    if (!HasTag())
        return false;
    file_.Truncate(TagStart());
    haveLast_ = false;
    return true;
}

bool ReadTagIfPresent(const QString& path, TTagRecord& record, QString* id3v2Version) {
    DiskTagFile file(path, OpenMode::Read);
    if (id3v2Version)
        *id3v2Version = ReadId3v2Version(TagFileBytes(file));
    if (!file.HasTag())
        return false;
    file.ReadTag(record);
    return true;
}

} // namespace vantuke
