#include "tag/Id3v2Tag.h"

#include "platform/IoError.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unknownframe.h>

#include <cerrno>
#include <cstring>
#include <exception>

namespace vantuke {

namespace {

constexpr quint8 kUnsynchronised = 0x80;
constexpr quint8 kExtendedHeader = 0x40; // in version 2.2 the same bit says "compressed"
constexpr quint8 kFooter = 0x10;         // version 2.4 only

qint64 SyncSafe(QByteArrayView four) {
    qint64 value = 0;
    for (const char byte : four) {
        if (quint8(byte) & 0x80)
            return -1;
        value = (value << 7) | quint8(byte);
    }
    return value;
}

void PutSyncSafe(char* out, qint64 value) {
    for (int i = 3; i >= 0; --i) {
        out[i] = char(value & 0x7F);
        value >>= 7;
    }
}

QString FromTagLib(const TagLib::String& text) {
    return QString::fromStdWString(text.toWString());
}

// Unsynchronisation undone: each 0xFF 0x00 is 0xFF again.
QByteArray Resynchronised(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out.append(bytes[i]);
        if (quint8(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

// TagLib 1.13 misreads tags with an extended header or a footer:
// - in version 2.3 it takes an extended header's size as version 2.4 defines it (seven-bit
//   bytes, itself included) and starts reading frames in the middle of it, losing them all;
// - in version 2.4 it counts an extended header's size, and a footer's, off the frames' room
//   although the tag's size leaves them out, losing the last frames of a tag without padding
//   (and a tag with a footer has none).
// Such a tag is handed over without them: the extended header and the footer dropped and
// their flags cleared. In version 2.3 unsynchronisation covers the extended header too: it is
// undone first and its flag cleared as well. False when the extended header claims more than
// the tag holds.
bool NeedsPlainLayout(const Id3v2Header& header) {
    return (header.major >= 3 && (header.flags & kExtendedHeader)) ||
           (header.major == 4 && (header.flags & kFooter));
}

bool ToPlainLayout(QByteArray& tag, const Id3v2Header& header) {
    quint8 flags = header.flags;
    QByteArray body = tag.sliced(kId3v2HeaderSize, header.bodySize);
    flags &= ~kFooter;
    if (flags & kExtendedHeader) {
        if (header.major == 3 && (flags & kUnsynchronised)) {
            body = Resynchronised(body);
            flags &= ~kUnsynchronised;
        }
        if (body.size() < 4)
            return false;
        qint64 size = 0;
        if (header.major == 3) {
            // The size of the rest of the extended header: 6, or 10 with a checksum.
            for (int i = 0; i < 4; ++i)
                size = size << 8 | quint8(body[i]);
            size += 4;
        } else {
            size = SyncSafe(QByteArrayView(body).first(4));
            if (size < 6)
                return false;
        }
        if (size > body.size())
            return false;
        body.remove(0, qsizetype(size));
        flags &= ~kExtendedHeader;
    }
    QByteArray plain = tag.first(kId3v2HeaderSize);
    plain[5] = char(flags);
    PutSyncSafe(plain.data() + 6, body.size());
    tag = plain + body;
    return true;
}

// The text values of the frames with this id, in order, and whether all of them were stored
// as ISO-8859-1. Frames TagLib keeps unparsed (TDAT in version 2.3, TDA in 2.2) are read as
// a text frame: an encoding byte and the text.
struct FrameValues {
    QStringList values;
    bool latin1 = true;
};

FrameValues TextFrames(const TagLib::ID3v2::Tag& tag, const char* id) {
    FrameValues found;
    for (const TagLib::ID3v2::Frame* frame : tag.frameList(id)) {
        if (const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            for (const TagLib::String& value : text->fieldList())
                found.values.append(FromTagLib(value));
            found.latin1 = found.latin1 && text->textEncoding() == TagLib::String::Latin1;
        } else if (const auto* unknown = dynamic_cast<const TagLib::ID3v2::UnknownFrame*>(frame)) {
            const TagLib::ByteVector& data = unknown->data();
            if (data.size() >= 1 && quint8(data[0]) <= TagLib::String::UTF8) {
                const auto encoding = TagLib::String::Type(data[0]);
                found.values.append(FromTagLib(TagLib::String(data.mid(1), encoding)));
                found.latin1 = found.latin1 && encoding == TagLib::String::Latin1;
            }
        }
    }
    return found;
}

std::optional<Id3v2Text> FieldOf(const FrameValues& frames) {
    const QString text = JoinedFieldText(frames.values);
    if (text.isEmpty())
        return std::nullopt;
    return Id3v2Text{text, frames.latin1};
}

// The first value of the frames, on one line.
QString FirstValue(const FrameValues& frames) {
    for (const QString& value : frames.values) {
        const QString line = JoinedFieldText({value});
        if (!line.isEmpty())
            return line;
    }
    return QString();
}

// Comments whose description starts so hold player data (iTunNORM, iTunSMPB,
// iTunes_CDDB_IDs), not words for people.
bool IsPlayerData(const TagLib::ID3v2::CommentsFrame& comment) {
    return comment.description().startsWith("iTun");
}

std::optional<Id3v2Text> CommentOf(const TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("COMM")) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (!comment || IsPlayerData(*comment))
            continue;
        if (comment->description().isEmpty()) {
            chosen = comment;
            break;
        }
        if (!chosen)
            chosen = comment;
    }
    if (!chosen)
        return std::nullopt;
    FrameValues frames;
    frames.values.append(FromTagLib(chosen->text()));
    frames.latin1 = chosen->textEncoding() == TagLib::String::Latin1;
    return FieldOf(frames);
}

// The year: from the recording time (TDRC; TagLib gives a version 2.3 TYER and TDAT under
// that name), else a TYER, else a date frame that holds more than a day and month. A frame
// that gives no year passes on to the next; when none gives one, the first present is noted.
void YearOf(const TagLib::ID3v2::Tag& tag, Id3v2Values& values) {
    QString note;
    const auto tryFrame = [&](const char* id, bool dayAndMonth) -> bool {
        const FrameValues frames = TextFrames(tag, id);
        const QString first = FirstValue(frames);
        if (first.isEmpty())
            return false;
        // Version 2.3 keeps the day and month in TDAT as DDMM: four digits, but no year.
        const bool onlyDayAndMonth = dayAndMonth && first.size() == 4 && YearOfDate(first);
        const std::optional<QString> year = onlyDayAndMonth ? std::nullopt : YearOfDate(first);
        if (year) {
            values.Text(TagField::Year) = Id3v2Text{*year, false};
            return true;
        }
        if (note.isEmpty()) {
            note = QStringLiteral("Year not copied: %1 \"%2\" %3")
                       .arg(QLatin1String(id), first,
                            onlyDayAndMonth ? QStringLiteral("is a day and month")
                                            : QStringLiteral("has no four-digit year"));
        }
        return false;
    };
    if (tryFrame("TDRC", false) || tryFrame("TYER", false) || tryFrame("TDAT", true) ||
        tryFrame("TDA", true))
        return;
    if (!note.isEmpty())
        values.notes.append(note);
}

void TrackOf(const TagLib::ID3v2::Tag& tag, Id3v2Values& values) {
    const QString text = FirstValue(TextFrames(tag, "TRCK"));
    if (text.isEmpty())
        return;
    const TrackNumber track = TrackOfText(text);
    if (track.number)
        values.track = track.number;
    else
        values.notes.append(
            QStringLiteral("Track not copied: TRCK \"%1\" is %2").arg(text, track.problem));
}

void GenreOf(const TagLib::ID3v2::Tag& tag, Id3v2Values& values) {
    const GenreChoice choice = GenreOfValues(TextFrames(tag, "TCON").values);
    if (choice.genre)
        values.genre = choice.genre;
    else if (!choice.unmatched.isEmpty())
        values.notes.append(
            QStringLiteral("Genre not copied: \"%1\" has no ID3v1 number").arg(choice.unmatched));
}

Id3v2Values ValuesOf(const TagLib::ID3v2::Tag& tag) {
    Id3v2Values values;
    values.Text(TagField::SongName) = FieldOf(TextFrames(tag, "TIT2"));
    values.Text(TagField::Artist) = FieldOf(TextFrames(tag, "TPE1"));
    values.Text(TagField::Album) = FieldOf(TextFrames(tag, "TALB"));
    YearOf(tag, values);
    values.Text(TagField::Comment) = CommentOf(tag);
    TrackOf(tag, values);
    GenreOf(tag, values);
    return values;
}

Id3v2Reading Unreadable(int major, const QString& problem) {
    Id3v2Reading reading;
    reading.status = Id3v2Status::Unreadable;
    reading.major = major;
    reading.problem = problem;
    return reading;
}

// True when the tag holds nothing but zero bytes behind its header (it has no footer here).
bool OnlyPadding(const QByteArray& tagBytes) {
    for (const char byte : QByteArrayView(tagBytes).sliced(kId3v2HeaderSize)) {
        if (byte != '\0')
            return false;
    }
    return true;
}

// Parses a whole tag with TagLib's MPEG reader, without audio properties; the stream holds
// the tag and nothing else.
Id3v2Reading ParseTag(const QByteArray& tagBytes, const Id3v2Header& header) {
    try {
        TagLib::ByteVectorStream stream(
            TagLib::ByteVector(tagBytes.constData(), static_cast<unsigned int>(tagBytes.size())));
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        const TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag() : nullptr;
        if (!tag)
            return Unreadable(header.major, QStringLiteral("TagLib cannot read it"));
        // Frames TagLib cannot make sense of are dropped; a tag that held something but
        // gave no frame at all was not read.
        if (tag->frameList().isEmpty() && !OnlyPadding(tagBytes))
            return Unreadable(header.major, QStringLiteral("no frame can be read"));
        Id3v2Reading reading;
        reading.status = Id3v2Status::Read;
        reading.major = header.major;
        reading.values = ValuesOf(*tag);
        return reading;
    } catch (const std::exception&) {
        // TagLib throws nothing of its own; memory running out for a huge frame is the one
        // way here, and it concerns this tag alone.
        return Unreadable(header.major, QStringLiteral("TagLib cannot read it"));
    }
}

} // namespace

void MemoryBytes::ReadAt(qint64 pos, char* out, qint64 n) const {
    if (pos < 0)
        throw IoError::FromErrno(EINVAL);
    if (n > bytes_.size() - pos)
        throw IoError::ReadBeyondEnd();
    std::memcpy(out, bytes_.data() + pos, size_t(n));
}

qint64 Id3v2Header::TagSize() const {
    const qint64 footer = major == 4 && (flags & kFooter) ? kId3v2HeaderSize : 0;
    return kId3v2HeaderSize + bodySize + footer;
}

std::optional<Id3v2Header> ParseId3v2Header(QByteArrayView bytes) {
    if (bytes.size() < kId3v2HeaderSize || !bytes.startsWith("ID3"))
        return std::nullopt;
    Id3v2Header header;
    header.major = quint8(bytes[3]);
    header.revision = quint8(bytes[4]);
    header.flags = quint8(bytes[5]);
    header.bodySize = SyncSafe(bytes.sliced(6, 4));
    return header;
}

QString Id3v2VersionText(QByteArrayView firstBytes) {
    const std::optional<Id3v2Header> header = ParseId3v2Header(firstBytes);
    if (!header || header->major < 2 || header->major > 4)
        return QString();
    return QStringLiteral("2.%1").arg(header->major);
}

QString ReadId3v2Version(const ByteSource& file) {
    char first[kId3v2HeaderSize];
    if (file.Size() < kId3v2HeaderSize)
        return QString();
    file.ReadAt(0, first, kId3v2HeaderSize);
    return Id3v2VersionText(QByteArrayView(first, kId3v2HeaderSize));
}

Id3v2Reading ReadId3v2(const ByteSource& file) {
    const qint64 fileSize = file.Size();
    if (fileSize < kId3v2HeaderSize)
        return Id3v2Reading{};
    QByteArray tag(kId3v2HeaderSize, '\0');
    file.ReadAt(0, tag.data(), kId3v2HeaderSize);
    const std::optional<Id3v2Header> header = ParseId3v2Header(tag);
    if (!header)
        return Id3v2Reading{};
    if (header->major < 2 || header->major > 4 || header->revision == 0xFF)
        return Unreadable(
            0, QStringLiteral("unknown version 2.%1.%2").arg(header->major).arg(header->revision));
    if (header->bodySize < 0)
        return Unreadable(header->major, QStringLiteral("damaged header"));
    // No scheme for a compressed version 2.2 tag was ever defined: it is to be skipped.
    if (header->major == 2 && (header->flags & kExtendedHeader))
        return Unreadable(header->major, QStringLiteral("compressed"));
    const qint64 tagSize = header->TagSize();
    if (tagSize > kMaxId3v2TagSize)
        return Unreadable(
            header->major,
            QStringLiteral("larger than %1 MiB").arg(kMaxId3v2TagSize / (1024 * 1024)));
    if (tagSize > fileSize)
        return Unreadable(header->major, QStringLiteral("cut short by the end of the file"));
    tag.resize(tagSize);
    file.ReadAt(kId3v2HeaderSize, tag.data() + kId3v2HeaderSize, tagSize - kId3v2HeaderSize);
    if (NeedsPlainLayout(*header) && !ToPlainLayout(tag, *header))
        return Unreadable(header->major, QStringLiteral("damaged extended header"));
    return ParseTag(tag, *header);
}

QString Id3v2ProblemLine(const Id3v2Reading& reading) {
    switch (reading.status) {
    case Id3v2Status::Read:
        return QString();
    case Id3v2Status::Absent:
        return QStringLiteral("No ID3v2 tag, file left as it is");
    case Id3v2Status::Unreadable:
        return QStringLiteral("ID3v2 tag cannot be read (%1), file left as it is")
            .arg(reading.problem);
    }
    return QString();
}

} // namespace vantuke
