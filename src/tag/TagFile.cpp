#include "tag/TagFile.h"

#include "platform/IoError.h"
#include "tag/Id3v2Tag.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace vantuke {

qint64 DiskTagFile::TagStart() const {
    const qint64 start = file_.Size() - kTagSize;
    if (start < 0)
        throw IoError::FromErrno(EINVAL).WithPath(file_.Path());
    return start;
}

QByteArrayView DiskTagFile::LastBytes() {
    return EndBytes().last(kTagSize);
}

QByteArrayView DiskTagFile::EndBytes() {
    if (!haveEnd_) {
        TagStart(); // a file shorter than a tag fails here
        endSize_ = qsizetype(std::min<qint64>(file_.Size(), kTagEndSize));
        file_.ReadAt(file_.Size() - endSize_, end_.data(), endSize_);
        haveEnd_ = true;
    }
    return QByteArrayView(end_.data(), endSize_);
}

void DiskTagFile::WriteTag(const TTagRecord& record) {
    TagWriteBytes built;
    WriteTagBytes(QByteArrayView(built.data(), BuildTagWrite(EndBytes(), record, built.data())));
}

void DiskTagFile::WriteTagBytes(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    if (HasTag()) {
        const qint64 start = file_.Size() - size;
        qint64 written = 0;
        try {
            file_.WriteAt(start, bytes, &written);
        } catch (const IoError&) {
            // Half a new tag over half the old one is a tag nobody wrote: the part that
            // reached the file gets its old bytes back. The write error is the one to report.
            try {
                file_.WriteAt(start, QByteArrayView(end_.data() + endSize_ - size, written));
            } catch (const IoError&) {
            }
            throw;
        }
        std::copy_n(bytes.data(), size, end_.data() + endSize_ - size);
    } else {
        const qint64 oldSize = file_.Size();
        try {
            file_.WriteAt(oldSize, bytes);
        } catch (const IoError&) {
            // A half-written tag would be taken for audio: give the file its old size back.
            try {
                file_.Truncate(oldSize);
            } catch (const IoError&) {
            }
            throw;
        }
        // The last bytes now end in the tag.
        const qsizetype kept = std::min<qsizetype>(endSize_, kTagEndSize - size);
        std::copy(end_.data() + endSize_ - kept, end_.data() + endSize_, end_.data());
        std::copy_n(bytes.data(), size, end_.data() + kept);
        endSize_ = kept + size;
    }
}

bool DiskTagFile::RemoveTag() {
    if (!HasTag())
        return false;
    file_.Truncate(file_.Size() - ReadTagEnd(EndBytes()).size);
    haveEnd_ = false;
    return true;
}

void TagFile::PutBack(const FileChange& change) {
    const QByteArrayView end = EndBytes();
    const bool overwrote = IsTagMarker(change.OldLast().last(kTagSize));
    bool asLeft = StillAsRead() && Stat().size == change.newSize;
    switch (change.kind) {
    case FileChange::Kind::WriteTag:
        // An appended tag goes with exactly the bytes it added.
        asLeft = asLeft && end.endsWith(change.NewLast()) &&
                 (overwrote ? change.OldLast().size() == change.NewLast().size()
                            : ReadTagEnd(end).size == change.NewLast().size());
        break;
    case FileChange::Kind::RemoveTag:
        asLeft = asLeft && !HasTag();
        break;
    case FileChange::Kind::Rename:
    case FileChange::Kind::ClearReadOnly:
        asLeft = false;
        break;
    }
    if (!asLeft)
        throw IoError::FromErrno(ESTALE);
    if (change.kind == FileChange::Kind::WriteTag && !overwrote)
        RemoveTag();
    else
        WriteTagBytes(change.OldLast());
}

void DiskTagFile::PutBack(const FileChange& change) {
    TagFile::PutBack(change);
    file_.SetTimes(change.before.atimeNsec, change.before.mtimeNsec);
}

bool ReadTagIfPresent(TagFile& file, TTagRecord& record, QString* id3v2Version) {
    if (id3v2Version)
        *id3v2Version = ReadId3v2Version(TagFileBytes(file));
    if (!file.HasTag())
        return false;
    file.ReadTag(record);
    return true;
}

bool ReadTagIfPresent(const QString& path, TTagRecord& record, QString* id3v2Version) {
    DiskTagFile file(path, OpenMode::Read);
    return ReadTagIfPresent(file, record, id3v2Version);
}

} // namespace vantuke
