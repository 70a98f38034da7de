#include "tag/TagBytes.h"

#include "platform/AsciiCase.h"

#include <algorithm>

namespace vantuke {

bool IsTagMarker(QByteArrayView bytes) {
    if (bytes.size() < kTagMarkerSize)
        return false;
    return UpperAscii(bytes[0]) == 'T' && UpperAscii(bytes[1]) == 'A' &&
           UpperAscii(bytes[2]) == 'G';
}

namespace {

// Where the track stands among the fields behind the marker (bytes 125 and 126 of the tag).
constexpr qsizetype kTrackZero = kTagFieldsSize - 3;
constexpr qsizetype kTrackByte = kTagFieldsSize - 2;

} // namespace

bool ParseTagFields(QByteArrayView fields, TTagRecord& record) {
    if (fields.size() < kTagFieldsSize)
        return false;
    // ID3v1.1: a NUL and a track that is not 0 end the comment's 30 bytes.
    const quint8 track = quint8(fields[kTrackByte]);
    record.Track = fields[kTrackZero] == '\0' ? track : 0;
    qsizetype offset = 0;
    for (const TagField field : kTextFields) {
        const int width = FieldCapacity(record, field);
        qsizetype length = width;
        while (length > 0 && fields[offset + length - 1] == ' ')
            --length;
        // Into the field's own buffer: a record reused from file to file allocates nothing,
        // and NUL-padded fields, the usual kind, keep their length from file to file.
        QByteArray& bytes = record.Field(field);
        if (bytes.size() != length)
            bytes.resize(length);
        std::copy_n(fields.data() + offset, length, bytes.data());
        offset += FieldCapacity(field);
    }
    record.Genre = quint8(fields[offset]);
    return true;
}

void RecordOfTag(const char* tag, TTagRecord& record) {
    qsizetype offset = kTagMarkerSize;
    for (const TagField field : kTextFields) {
        const int width = FieldCapacity(field);
        QByteArray& bytes = record.Field(field);
        bytes.resize(width);
        std::copy_n(tag + offset, width, bytes.data());
        offset += width;
    }
    record.Genre = quint8(tag[offset]);
}

QByteArray BuildTag(const TTagRecord& record) {
    QByteArray tag(kTagSize, Qt::Uninitialized);
    BuildTag(record, tag.data());
    return tag;
}

void BuildTag(const TTagRecord& record, char* out) {
    out[0] = 'T';
    out[1] = 'A';
    out[2] = 'G';
    qsizetype offset = kTagMarkerSize;
    for (const TagField field : kTextFields) {
        const QByteArray& bytes = record.Field(field);
        const int width = FieldCapacity(field);
        const qsizetype length = std::min<qsizetype>(bytes.size(), FieldCapacity(record, field));
        std::copy_n(bytes.constData(), length, out + offset);
        std::fill_n(out + offset + length, width - length, '\0');
        offset += width;
    }
    if (record.Track != 0)
        out[kTagMarkerSize + kTrackByte] = char(record.Track);
    out[offset] = char(record.Genre);
}

namespace {

// Where each continued field's 60 bytes stand in an Enhanced TAG block.
constexpr qsizetype kContinuationStart = kEnhancedTagMarker.size();
constexpr qsizetype kContinuationSize = 60;

// The bytes before the first NUL.
QByteArrayView TextBytes(QByteArrayView bytes) {
    return bytes.first(qstrnlen(bytes.data(), size_t(bytes.size())));
}

// Whether the record gives the field another text than the tag has.
bool TextChanges(const TTagRecord& old, const TTagRecord& record, TagField field) {
    return TextBytes(old.Field(field)) != TextBytes(record.Field(field));
}

} // namespace

TagEnd ReadTagEnd(QByteArrayView end) {
    TagEnd tagEnd;
    if (end.size() < kTagSize || !IsTagMarker(end.last(kTagSize)))
        return tagEnd;
    tagEnd.size = kTagSize;
    if (end.size() >= kTagSize + kEnhancedTagSize &&
        end.sliced(end.size() - kTagSize - kEnhancedTagSize).startsWith(kEnhancedTagMarker)) {
        tagEnd.enhanced = true;
        tagEnd.size += kEnhancedTagSize;
    }
    tagEnd.lyrics = end.size() >= tagEnd.size + kLyrics3v2End.size() &&
                    end.chopped(tagEnd.size).endsWith(kLyrics3v2End);
    return tagEnd;
}

std::array<int, kContinuedFields.size()>
ContinuationsLost(QByteArrayView end, const TTagRecord& record, const TagCodec& codec) {
    std::array<int, kContinuedFields.size()> lost{};
    if (!ReadTagEnd(end).enhanced)
        return lost;
    TTagRecord old;
    ParseTagFields(end.last(kTagFieldsSize), old);
    const QByteArrayView block = end.last(kTagSize + kEnhancedTagSize);
    for (std::size_t k = 0; k < kContinuedFields.size(); ++k) {
        if (TextChanges(old, record, kContinuedFields[k])) {
            const QByteArrayView continuation = block.sliced(
                kContinuationStart + qsizetype(k) * kContinuationSize, kContinuationSize);
            const QString text = FieldText(continuation.toByteArray(), codec);
            lost[k] = int(QStringView(text).trimmed().size());
        }
    }
    return lost;
}

qsizetype BuildTagWrite(QByteArrayView end, const TTagRecord& record, char* out) {
    const TagEnd tagEnd = ReadTagEnd(end);
    if (!tagEnd.enhanced) {
        BuildTag(record, out);
        return kTagSize;
    }
    const QByteArrayView block = end.last(kTagSize + kEnhancedTagSize).first(kEnhancedTagSize);
    std::copy_n(block.data(), kEnhancedTagSize, out);
    TTagRecord old;
    ParseTagFields(end.last(kTagFieldsSize), old);
    for (std::size_t k = 0; k < kContinuedFields.size(); ++k) {
        if (TextChanges(old, record, kContinuedFields[k]))
            std::fill_n(out + kContinuationStart + qsizetype(k) * kContinuationSize,
                        kContinuationSize, '\0');
    }
    BuildTag(record, out + kEnhancedTagSize);
    return kTagSize + kEnhancedTagSize;
}

} // namespace vantuke
