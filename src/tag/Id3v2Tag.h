#pragma once

#include "platform/FileAccess.h"
#include "tag/Id3v2Values.h"
#include "tag/TagFile.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace vantuke {

// Reading the ID3v2 tag at the start of a file, read-only. Only the tag's own bytes are read
// (never the audio behind it); TagLib parses them from memory. Nothing here writes.

// The bytes of a file, from its start.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual qint64 Size() const = 0;
    // Reads exactly n bytes at pos; throws IoError as OpenFile::ReadAt does.
    virtual void ReadAt(qint64 pos, char* out, qint64 n) const = 0;
};

// A file opened through the file layer.
class OpenFileBytes final : public ByteSource {
public:
    explicit OpenFileBytes(const OpenFile& file) : file_(file) {}
    qint64 Size() const override { return file_.Size(); }
    void ReadAt(qint64 pos, char* out, qint64 n) const override { file_.ReadAt(pos, out, n); }

private:
    const OpenFile& file_;
};

// A file a run opened for its tag: read through the same open file as the tag's change.
class TagFileBytes final : public ByteSource {
public:
    explicit TagFileBytes(const TagFile& file) : file_(file) {}
    qint64 Size() const override { return file_.Stat().size; }
    void ReadAt(qint64 pos, char* out, qint64 n) const override { file_.ReadAt(pos, out, n); }

private:
    const TagFile& file_;
};

// Bytes in memory, standing for a whole file.
class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(QByteArrayView bytes) : bytes_(bytes) {}
    qint64 Size() const override { return bytes_.size(); }
    void ReadAt(qint64 pos, char* out, qint64 n) const override;

private:
    QByteArrayView bytes_;
};

inline constexpr qint64 kId3v2HeaderSize = 10;
// The largest tag read. Pictures make tags of some megabytes; a header that claims more than
// this (the format allows 256 MiB) belongs to a damaged file, and reading it would only fill
// memory.
inline constexpr qint64 kMaxId3v2TagSize = 64 * 1024 * 1024;

// The ten bytes that begin an ID3v2 tag: "ID3", the version (major, revision), the flags and
// the size behind the header in four bytes of seven bits each.
struct Id3v2Header {
    int major = 0; // 2, 3 or 4 when valid
    int revision = 0;
    quint8 flags = 0;
    qint64 bodySize = 0; // what follows the header, without a footer
    // The whole tag: header, body and, in version 2.4, a footer of ten bytes when flagged.
    qint64 TagSize() const;
};
// The header when bytes begin with "ID3" and hold ten bytes; nothing otherwise. Whether
// the version and size can be read is left to ReadId3v2.
std::optional<Id3v2Header> ParseId3v2Header(QByteArrayView bytes);

// The ID3v2 version a file's first bytes announce, as the file list shows it: "2.2", "2.3",
// "2.4", or empty when they begin no ID3v2 tag of those versions.
QString Id3v2VersionText(QByteArrayView firstBytes);
// The same for a file, reading no more than its first ten bytes. Throws IoError.
QString ReadId3v2Version(const ByteSource& file);

enum class Id3v2Status {
    Read,       // the tag was read; values holds what it gives
    Absent,     // the file does not begin with an ID3v2 tag
    Unreadable, // it does, but the tag cannot be read: problem says why
};

struct Id3v2Reading {
    Id3v2Status status = Id3v2Status::Absent;
    int major = 0;   // the version, 2 to 4, when the file begins with a tag of those versions
    QString problem; // why an unreadable tag cannot be read
    Id3v2Values values;
};

// Reads the ID3v2 tag at the start of the file: its ten header bytes, then the rest of the
// tag, and nothing beyond. A damaged tag gives Unreadable, never a crash; only a failing
// read of the file throws (IoError).
Id3v2Reading ReadId3v2(const ByteSource& file);

// The status-box line for a file whose ID3v2 tag gives nothing: "No ID3v2 tag" or "ID3v2
// tag cannot be read (" + problem + ")", each followed by ", file left as it is". Empty for
// a tag that was read.
QString Id3v2ProblemLine(const Id3v2Reading& reading);

} // namespace vantuke
