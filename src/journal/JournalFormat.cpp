#include "journal/JournalFormat.h"

#include "platform/FileAccess.h"
#include "platform/NameBytes.h"

#include <QCryptographicHash>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>

namespace vantuke {

namespace {

constexpr char kHeaderType = 'H';
constexpr char kChangeType = 'C';
constexpr char kDoneType = 'D';
constexpr char kEndType = 'E';
constexpr char kPlaylistType = 'P';
constexpr quint8 kFormatVersion = 1;
// No change record comes near this; a larger range of marks is damage.
constexpr quint32 kMaxPayload = 1 << 20;
// No record comes near this, a playlist's whole bytes included; a larger length is damage.
constexpr quint32 kMaxRecordSize = quint32(kMaxWholeFileSize) + kMaxPayload;
constexpr qsizetype kFrameSize = 8;

// Tables for CRC-32 eight bytes at a time ("slicing by eight"): table k gives the CRC of a
// byte followed by k zero bytes.
constexpr std::array<std::array<quint32, 256>, 8> MakeCrcTables() {
    std::array<std::array<quint32, 256>, 8> tables{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (quint32 n = 0; n < 256; ++n) {
        for (int k = 1; k < 8; ++k)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    }
    return tables;
}

constexpr std::array<std::array<quint32, 256>, 8> kCrcTables = MakeCrcTables();

// Builds one payload in place at the end of out, then frames it. The room it may take is made
// once, and the bytes are put through a cursor: a run writes a record per change.
class RecordWriter {
public:
    // room: the most bytes the payload can take after its type.
    RecordWriter(QByteArray& out, char type, qsizetype room) : out_(out), start_(out.size()) {
        out_.resize(start_ + kFrameSize + 1 + room);
        at_ = out_.data() + start_ + kFrameSize;
        *at_++ = type;
    }
    ~RecordWriter() {
        out_.resize(at_ - out_.constData());
        const qsizetype payload = out_.size() - start_ - kFrameSize;
        char* frame = out_.data() + start_;
        qToLittleEndian<quint32>(quint32(payload), frame);
        qToLittleEndian<quint32>(Crc32(QByteArrayView(frame + kFrameSize, payload)), frame + 4);
    }
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // The room a path of this many characters may take: a length and three bytes each.
    static qsizetype NameRoom(QStringView path) { return 4 + 3 * path.size(); }
    // The room of Sparse bytes: a count, and at worst two counts per run of one byte.
    static qsizetype SparseRoom(QByteArrayView bytes) { return 2 + 3 * bytes.size(); }

    template <typename T> void Number(T value) {
        qToLittleEndian<T>(value, at_);
        at_ += sizeof(T);
    }
    void Bytes(QByteArrayView bytes) {
        Number<quint32>(quint32(bytes.size()));
        Raw(bytes);
    }
    // Bytes that are mostly NULs (a tag's fields are padded with them): their count, then
    // runs of other bytes, each followed by a run of NULs, every run counted in one byte.
    void Sparse(QByteArrayView bytes) {
        Number<quint16>(quint16(bytes.size()));
        const char* at = bytes.data();
        const char* const end = at + bytes.size();
        const auto runEnd = [end](const char* from) { return end - from > 255 ? from + 255 : end; };
        while (at < end) {
            const char* limit = runEnd(at);
            const void* nul = std::memchr(at, '\0', size_t(limit - at));
            const char* literalEnd = nul ? static_cast<const char*>(nul) : limit;
            Number<quint8>(quint8(literalEnd - at));
            Raw(QByteArrayView(at, literalEnd - at));
            at = literalEnd;
            limit = runEnd(at);
            // Eight NULs at a time, then one by one.
            while (limit - at >= 8) {
                quint64 word;
                std::memcpy(&word, at, sizeof word);
                if (word != 0)
                    break;
                at += 8;
            }
            const char* zerosEnd = at;
            while (zerosEnd < limit && *zerosEnd == '\0')
                ++zerosEnd;
            Number<quint8>(quint8(zerosEnd - literalEnd));
            at = zerosEnd;
        }
    }
    // A path as the bytes of its name.
    void Name(QStringView path) {
        char16_t all = 0;
        for (const QChar c : path)
            all |= c.unicode();
        if (all < 0x80) {
            Number<quint32>(quint32(path.size()));
            for (const QChar c : path)
                *at_++ = char(c.unicode());
        } else {
            Bytes(NameToBytes(path));
        }
    }

private:
    void Raw(QByteArrayView bytes) {
        std::copy_n(bytes.data(), bytes.size(), at_);
        at_ += bytes.size();
    }

    QByteArray& out_;
    qsizetype start_;
    char* at_;
};

// Reads one payload; every read past its end makes it bad.
class RecordReader {
public:
    explicit RecordReader(QByteArrayView payload) : payload_(payload) {}

    template <typename T> T Number() {
        if (payload_.size() - at_ < qsizetype(sizeof(T))) {
            bad_ = true;
            return T{};
        }
        const T value = qFromLittleEndian<T>(payload_.data() + at_);
        at_ += sizeof(T);
        return value;
    }
    QByteArrayView Bytes() {
        const quint32 size = Number<quint32>();
        if (bad_ || payload_.size() - at_ < qsizetype(size)) {
            bad_ = true;
            return {};
        }
        const QByteArrayView bytes = payload_.sliced(at_, size);
        at_ += size;
        return bytes;
    }
    // Bytes written by RecordWriter::Sparse.
    QByteArray Sparse() {
        const quint16 size = Number<quint16>();
        QByteArray bytes;
        bytes.reserve(size);
        while (!bad_ && bytes.size() < size) {
            const quint8 literal = Number<quint8>();
            if (bad_ || payload_.size() - at_ < literal) {
                bad_ = true;
                break;
            }
            bytes.append(payload_.sliced(at_, literal));
            at_ += literal;
            const quint8 zeros = Number<quint8>();
            bytes.append(qsizetype(zeros), '\0');
            if (literal == 0 && zeros == 0)
                bad_ = true;
        }
        if (bytes.size() != size)
            bad_ = true;
        return bytes;
    }
    // True when everything was read, exactly.
    bool Good() const { return !bad_ && at_ == payload_.size(); }

private:
    QByteArrayView payload_;
    qsizetype at_ = 0;
    bool bad_ = false;
};

// The payload of the whole record at the start of bytes, or nothing when none is there.
std::optional<QByteArrayView> NextPayload(QByteArrayView bytes) {
    if (bytes.size() < kFrameSize)
        return std::nullopt;
    const quint32 size = qFromLittleEndian<quint32>(bytes.data());
    const quint32 crc = qFromLittleEndian<quint32>(bytes.data() + 4);
    if (size == 0 || size > kMaxRecordSize || bytes.size() - kFrameSize < qsizetype(size))
        return std::nullopt;
    const QByteArrayView payload = bytes.sliced(kFrameSize, size);
    if (Crc32(payload) != crc)
        return std::nullopt;
    return payload;
}

std::optional<RunHeader> ReadHeader(QByteArrayView payload) {
    RecordReader in(payload);
    RunHeader header;
    if (in.Number<char>() != kHeaderType || in.Number<quint8>() != kFormatVersion)
        return std::nullopt;
    header.startMsec = in.Number<qint64>();
    header.entries = int(in.Number<quint32>());
    header.caption = QString::fromUtf8(in.Bytes());
    if (!in.Good())
        return std::nullopt;
    return header;
}

std::optional<ChangeRecord> ReadChange(RecordReader& in) {
    ChangeRecord change;
    change.sequence = in.Number<quint32>();
    const quint8 kind = in.Number<quint8>();
    if (kind < quint8(ChangeKind::WriteTag) || kind > quint8(ChangeKind::ClearReadOnly))
        return std::nullopt;
    change.kind = ChangeKind(kind);
    change.device = in.Number<quint64>();
    change.inode = in.Number<quint64>();
    change.path = NameFromBytes(in.Bytes());
    change.newPath = NameFromBytes(in.Bytes());
    change.size = in.Number<qint64>();
    change.mode = in.Number<quint32>();
    change.atimeNsec = in.Number<qint64>();
    change.mtimeNsec = in.Number<qint64>();
    change.oldLast = in.Sparse();
    change.newSize = in.Number<qint64>();
    change.newMode = in.Number<quint32>();
    change.newLast = in.Sparse();
    if (!in.Good())
        return std::nullopt;
    return change;
}

std::optional<PlaylistRecord> ReadPlaylist(RecordReader& in) {
    PlaylistRecord playlist;
    playlist.path = NameFromBytes(in.Bytes());
    playlist.oldBytes = in.Bytes().toByteArray();
    playlist.newSize = in.Number<qint64>();
    playlist.newDigest = in.Bytes().toByteArray();
    if (!in.Good())
        return std::nullopt;
    return playlist;
}

} // namespace

QByteArray PlaylistDigest(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

quint32 Crc32(QByteArrayView bytes) {
    quint32 crc = 0xFFFFFFFFu;
    const uchar* at = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype left = bytes.size();
    const auto& t = kCrcTables;
    for (; left >= 8; left -= 8, at += 8) {
        const quint32 low = crc ^ qFromLittleEndian<quint32>(at);
        const quint32 high = qFromLittleEndian<quint32>(at + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
              t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
              t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; left > 0; --left, ++at)
        crc = t[0][(crc ^ *at) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void AppendJournalStart(QByteArray& out, const RunHeader& header) {
    out.append(kJournalMagic);
    const QByteArray caption = header.caption.toUtf8();
    RecordWriter record(out, kHeaderType, 1 + 8 + 4 + 4 + caption.size());
    record.Number<quint8>(kFormatVersion);
    record.Number<qint64>(header.startMsec);
    record.Number<quint32>(quint32(header.entries));
    record.Bytes(caption);
}

void AppendChangeRecord(QByteArray& out, const ChangeRecord& change) {
    RecordWriter record(out, kChangeType,
                        4 + 1 + 8 + 8 + RecordWriter::NameRoom(change.path) +
                            RecordWriter::NameRoom(change.newPath) + 8 + 4 + 8 + 8 +
                            RecordWriter::SparseRoom(change.oldLast) + 8 + 4 +
                            RecordWriter::SparseRoom(change.newLast));
    record.Number<quint32>(change.sequence);
    record.Number<quint8>(quint8(change.kind));
    record.Number<quint64>(change.device);
    record.Number<quint64>(change.inode);
    record.Name(change.path);
    record.Name(change.newPath);
    record.Number<qint64>(change.size);
    record.Number<quint32>(change.mode);
    record.Number<qint64>(change.atimeNsec);
    record.Number<qint64>(change.mtimeNsec);
    record.Sparse(change.oldLast);
    record.Number<qint64>(change.newSize);
    record.Number<quint32>(change.newMode);
    record.Sparse(change.newLast);
}

void AppendDoneRecord(QByteArray& out, quint32 first, quint32 last) {
    RecordWriter record(out, kDoneType, 4 + 4);
    record.Number<quint32>(first);
    record.Number<quint32>(last);
}

void AppendPlaylistRecord(QByteArray& out, const PlaylistRecord& playlist) {
    RecordWriter record(out, kPlaylistType,
                        RecordWriter::NameRoom(playlist.path) + 4 + playlist.oldBytes.size() + 8 +
                            4 + playlist.newDigest.size());
    record.Name(playlist.path);
    record.Bytes(playlist.oldBytes);
    record.Number<qint64>(playlist.newSize);
    record.Bytes(playlist.newDigest);
}

void AppendEndRecord(QByteArray& out, const RunEnd& end) {
    RecordWriter record(out, kEndType, 4 + 4);
    record.Number<quint32>(quint32(end.files));
    record.Number<quint32>(quint32(end.changes));
}

std::optional<JournalContents> ParseJournal(QByteArrayView bytes) {
    if (!bytes.startsWith(kJournalMagic))
        return std::nullopt;
    QByteArrayView rest = bytes.sliced(kJournalMagic.size());
    const std::optional<QByteArrayView> first = NextPayload(rest);
    if (!first)
        return std::nullopt;
    const std::optional<RunHeader> header = ReadHeader(*first);
    if (!header)
        return std::nullopt;
    JournalContents contents;
    contents.header = *header;
    rest = rest.sliced(kFrameSize + first->size());
    while (!rest.isEmpty()) {
        const std::optional<QByteArrayView> payload = NextPayload(rest);
        if (!payload)
            break;
        RecordReader in(*payload);
        bool good = false;
        switch (in.Number<char>()) {
        case kChangeType:
            if (const std::optional<ChangeRecord> change = ReadChange(in)) {
                contents.changes.append(*change);
                good = true;
            }
            break;
        case kDoneType: {
            const quint32 from = in.Number<quint32>();
            const quint32 to = in.Number<quint32>();
            // A range no run makes (more changes than any record shows) is damage.
            good = in.Good() && from <= to && to - from < kMaxPayload;
            for (quint32 sequence = from; good && sequence <= to; ++sequence)
                contents.done.append(sequence);
            break;
        }
        case kPlaylistType:
            if (const std::optional<PlaylistRecord> playlist = ReadPlaylist(in)) {
                contents.playlists.append(*playlist);
                good = true;
            }
            break;
        case kEndType: {
            RunEnd end;
            end.files = int(in.Number<quint32>());
            end.changes = int(in.Number<quint32>());
            good = in.Good();
            if (good)
                contents.end = end;
            break;
        }
        default:
            break;
        }
        if (!good)
            break;
        rest = rest.sliced(kFrameSize + payload->size());
    }
    contents.damaged = !rest.isEmpty();
    return contents;
}

std::optional<RunHeader> ParseJournalHeader(QByteArrayView start) {
    if (!start.startsWith(kJournalMagic))
        return std::nullopt;
    const std::optional<QByteArrayView> payload = NextPayload(start.sliced(kJournalMagic.size()));
    return payload ? ReadHeader(*payload) : std::nullopt;
}

std::optional<RunEnd> ParseEndRecord(QByteArrayView last) {
    if (last.size() != kEndRecordSize)
        return std::nullopt;
    const std::optional<QByteArrayView> payload = NextPayload(last);
    if (!payload || payload->size() != kEndRecordSize - kFrameSize)
        return std::nullopt;
    RecordReader in(*payload);
    if (in.Number<char>() != kEndType)
        return std::nullopt;
    RunEnd end;
    end.files = int(in.Number<quint32>());
    end.changes = int(in.Number<quint32>());
    if (!in.Good())
        return std::nullopt;
    return end;
}

} // namespace vantuke
