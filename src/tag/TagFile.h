#pragma once

#include "platform/FileAccess.h"
#include "tag/FileChange.h"
#include "tag/TagBytes.h"
#include "tag/TagRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <utility>

namespace vantuke {

// One file opened for its ID3v1 tag. The test, the read and the change of one entry all go
// through one open file, so a change is decided on what the file holds at that moment.
// Every file-system failure throws IoError naming the file; a file shorter than 128 bytes
// fails where its tag would start, like a seek before the start ("I/O error 22").
// Abstract, so that a run can work on files that are not on disk.
class TagFile {
public:
    virtual ~TagFile() = default;

    // Who the file is (device, inode) and its size, mode and modification time as opened;
    // the size follows the file's own changes.
    virtual const FileStat& Stat() const = 0;
    // The last 128 bytes as the file holds them now: the old bytes a change replaces. Valid
    // until the next call on this file.
    virtual QByteArrayView LastBytes() = 0;
    // The last kTagEndSize bytes (all of a shorter file) as the file holds them now: the tag
    // and the blocks before it (ReadTagEnd). Valid until the next call on this file.
    virtual QByteArrayView EndBytes() = 0;
    // Reads exactly n bytes at pos as the file holds them now (the ID3v2 tag at its start,
    // say); throws IoError naming the file.
    virtual void ReadAt(qint64 pos, char* out, qint64 n) const = 0;
    // Writes the record's tag over the tag the file has, with the tag's Enhanced TAG block
    // made to agree with it (BuildTagWrite), or appends a tag when it has none. A write that
    // fails part-way leaves the file as it was: the old bytes are written back over a tag,
    // an appended tag is cut off again.
    virtual void WriteTag(const TTagRecord& record) = 0;
    // The same with the bytes as BuildTagWrite makes them for the file's end as it is now; by
    // default through WriteTag and the record of the tag those bytes end in.
    virtual void WriteTagBytes(QByteArrayView bytes) {
        TTagRecord record;
        RecordOfTag(bytes.last(kTagSize).data(), record);
        WriteTag(record);
    }
    // Cuts the tag off, with its Enhanced TAG block, when the file has one and returns true;
    // a file whose last 128 bytes are not a tag is left alone (false).
    virtual bool RemoveTag() = 0;
    // Closes the file (and ends its lock) and reports a failure only close can see.
    virtual void Close() = 0;
    // True when no program that ignores the lock cut or lengthened the file since this object
    // last saw it: a change decided a while before it is made is checked with it, since it
    // would go to the wrong place. (One that rewrote the tag in place loses its edit to the
    // change, as it would to any later writer.)
    virtual bool StillAsRead() = 0;
    // Puts back a tag change (WriteTag, RemoveTag) made on this file, as it was recorded before
    // it was made: the old bytes go back over a tag written over them, an appended tag is cut
    // off again, a cut tag is written again. Throws IoError, with nothing changed, when the
    // file does not end as the change left it (another program changed it since).
    virtual void PutBack(const FileChange& change);

    // True when the last 128 bytes start with the marker "TAG" in any letter case.
    bool HasTag() { return IsTagMarker(LastBytes()); }
    // Fills the record from the last 128 bytes, without looking at the marker.
    void ReadTag(TTagRecord& record) { ParseTagFields(LastBytes().sliced(kTagMarkerSize), record); }
};

// A file on disk. Opened for OpenMode::Change it is locked until closed; a read-only file
// (owner-write permission missing) is then refused with "File access denied".
class DiskTagFile final : public TagFile {
public:
    DiskTagFile(const QString& path, OpenMode mode, LockWait wait = LockWait::Wait)
        : file_(path, mode, wait) {}
    // A file opened already (read ahead, say).
    explicit DiskTagFile(OpenFile&& file) : file_(std::move(file)) {}

    // Opened with LockWait::DontWait while another held the lock: open, but not locked.
    bool Busy() const { return file_.Busy(); }

    const FileStat& Stat() const override { return file_.Stat(); }
    QByteArrayView LastBytes() override;
    QByteArrayView EndBytes() override;
    void ReadAt(qint64 pos, char* out, qint64 n) const override { file_.ReadAt(pos, out, n); }
    void WriteTag(const TTagRecord& record) override;
    void WriteTagBytes(QByteArrayView bytes) override;
    bool RemoveTag() override;
    void Close() override { file_.Close(); }
    bool StillAsRead() override { return file_.SizeUnchanged(); }
    // The file's times go back as well.
    void PutBack(const FileChange& change) override;

private:
    // Where the tag starts; fails for a file shorter than a tag.
    qint64 TagStart() const;

    OpenFile file_;
    // The last bytes (EndBytes) once read, kept in step with every change.
    std::array<char, kTagEndSize> end_;
    qsizetype endSize_ = 0;
    bool haveEnd_ = false;
};

// Fills the record from the file's tag: false, with the record untouched, when it has none.
// With id3v2Version, also the version of the ID3v2 tag the file begins with
// (ReadId3v2Version), through the same open file.
bool ReadTagIfPresent(TagFile& file, TTagRecord& record, QString* id3v2Version = nullptr);
// The same for the file at path, opened for reading only (the file list, "List files/TAGs").
// Works on read-only files.
bool ReadTagIfPresent(const QString& path, TTagRecord& record, QString* id3v2Version = nullptr);

} // namespace vantuke
