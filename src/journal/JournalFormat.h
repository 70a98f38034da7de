#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace vantuke {

// The undo history keeps one journal file per run. It starts with eight bytes "VNTKJNL1",
// followed by records, each framed as its payload's length and CRC-32 (both 32-bit, little
// endian) and the payload, so that a record cut off by a crash, or damaged, is seen as such:
// a journal is read up to its last whole record. The bytes of a tag, mostly NULs, are kept
// with their runs of NULs counted. The first record is the run's header; then
// come the changes, each recorded before it is made, marks of the changes that were made,
// and, when the run ended normally, a closing record of fixed size.

inline constexpr QByteArrayView kJournalMagic = "VNTKJNL1";

// The kinds of change a run makes.
enum class ChangeKind : quint8 {
    WriteTag = 1,      // a tag written over the old one, or appended
    RemoveTag = 2,     // the tag cut off
    Rename = 3,        // the file's name changed
    ClearReadOnly = 4, // the owner's write permission added
};

// Who the run was.
struct RunHeader {
    qint64 startMsec = 0; // when it started, milliseconds since the epoch (UTC)
    QString caption;      // the process's tab caption, "TAG>Filename"
    int entries = 0;      // the number of selected files it ran over

    bool operator==(const RunHeader&) const = default;
};

// One change, as recorded before it is made: which file, where, how it was and how the change
// leaves it.
struct ChangeRecord {
    quint32 sequence = 0; // counts the run's changes from 1
    ChangeKind kind = ChangeKind::WriteTag;
    quint64 device = 0; // the file's identity
    quint64 inode = 0;
    QString path;    // where the change finds it (for a rename, its name before)
    QString newPath; // a rename: the name it gives; otherwise empty
    // Before the change.
    qint64 size = 0;
    quint32 mode = 0;
    qint64 atimeNsec = 0;
    qint64 mtimeNsec = 0;
    // A tag change: the bytes at the end of the file that it rewrites or cuts, before it: the
    // old tag, with its Enhanced TAG block in front when it has one (355 bytes), or the last
    // 128 bytes of a file that had no tag; otherwise empty.
    QByteArray oldLast;
    // After the change: size and mode, and for a tag write the bytes written (as many as
    // oldLast over a tag, 128 appended).
    qint64 newSize = 0;
    quint32 newMode = 0;
    QByteArray newLast;

    bool operator==(const ChangeRecord&) const = default;
};

// A playlist the run rewrote, recorded before it is replaced (after the run's changes): its
// bytes before, and the size and SHA-256 digest of the bytes it was given, so that undo puts
// the old bytes back only while the playlist is still as the run left it.
struct PlaylistRecord {
    QString path;
    QByteArray oldBytes;
    qint64 newSize = 0;
    QByteArray newDigest;

    bool operator==(const PlaylistRecord&) const = default;
};

// The digest a PlaylistRecord keeps of a playlist's bytes.
QByteArray PlaylistDigest(QByteArrayView bytes);

// The closing record of a run that ended, with or without an error.
struct RunEnd {
    int files = 0;   // the number of files with a recorded change
    int changes = 0; // the number of changes recorded

    bool operator==(const RunEnd&) const = default;
};

// The start of a journal: the magic bytes and the header, appended to out.
void AppendJournalStart(QByteArray& out, const RunHeader& header);
// The bytes that frame and hold each other kind of record, appended to out.
void AppendChangeRecord(QByteArray& out, const ChangeRecord& change);
// Changes first to last (sequence numbers) were made.
void AppendDoneRecord(QByteArray& out, quint32 first, quint32 last);
void AppendPlaylistRecord(QByteArray& out, const PlaylistRecord& playlist);
void AppendEndRecord(QByteArray& out, const RunEnd& end);
// The size of a framed closing record: it ends a journal, so it can be read from the end.
inline constexpr qsizetype kEndRecordSize = 4 + 4 + 1 + 4 + 4;

// A journal as read back.
struct JournalContents {
    RunHeader header;
    QList<ChangeRecord> changes;     // in the order they were recorded
    QList<quint32> done;             // the sequence numbers marked as made
    QList<PlaylistRecord> playlists; // in the order they were recorded
    std::optional<RunEnd> end;       // missing when the run was killed
    bool damaged = false;            // bytes after the last whole record were left unread
};

// Reads a journal up to its last whole record. Nothing when it does not even hold the magic
// bytes and a whole header.
std::optional<JournalContents> ParseJournal(QByteArrayView bytes);
// Reads the start of a journal: its header. Nothing when there is none.
std::optional<RunHeader> ParseJournalHeader(QByteArrayView start);
// Reads a closing record from the last kEndRecordSize bytes of a journal.
std::optional<RunEnd> ParseEndRecord(QByteArrayView last);

// CRC-32 (the polynomial of zlib, gzip and PNG).
quint32 Crc32(QByteArrayView bytes);

} // namespace vantuke
