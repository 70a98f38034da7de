#include "tag/TagRecord.h"

namespace vantuke {

// The text fields in the order of TagField.
constexpr std::array<QByteArray TTagRecord::*, kTextFields.size()> kFieldMembers{
    &TTagRecord::SongName, &TTagRecord::Artist, &TTagRecord::Album, &TTagRecord::Year,
    &TTagRecord::Comment};

QByteArray& TTagRecord::Field(TagField field) {
    return this->*kFieldMembers[std::size_t(field)];
}

const QByteArray& TTagRecord::Field(TagField field) const {
    return this->*kFieldMembers[std::size_t(field)];
}

void AppendFieldText(QString& out, const QByteArray& bytes, const TagCodec& codec) {
    codec.Page().AppendText(
        out, QByteArrayView(bytes).first(qstrnlen(bytes.constData(), size_t(bytes.size()))));
}

QString FieldText(const QByteArray& bytes, const TagCodec& codec) {
    QString text;
    AppendFieldText(text, bytes, codec);
    return text;
}

QString FieldText(const TTagRecord& record, TagField field, const TagCodec& codec) {
    return FieldText(record.Field(field), codec);
}

QString ShownFieldText(const QByteArray& bytes, const TagCodec& codec) {
    QString text = FieldText(bytes, codec);
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k].isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate())
            ++k;
        else if (text[k].isSurrogate())
            text[k] = QChar(QChar::ReplacementCharacter);
    }
    return text;
}

int FieldCapacity(const TTagRecord& record, TagField field) {
    return field == TagField::Comment && record.Track != 0 ? kCommentBesideTrack
                                                           : FieldCapacity(field);
}

bool FieldTextValid(const QByteArray& bytes, const TagCodec& codec) {
    return codec.Page().IsValid(
        QByteArrayView(bytes).first(qstrnlen(bytes.constData(), size_t(bytes.size()))));
}

FieldCut CutToCapacity(QByteArray& bytes, int capacity, const CodePage& page) {
    FieldCut cut;
    if (bytes.size() <= capacity)
        return cut;
    if (!page.IsMultiByte()) {
        cut.kept = capacity;
        cut.lost = int(bytes.size() - capacity);
        bytes.truncate(capacity);
        return cut;
    }
    qsizetype end = 0;
    for (int length; end < bytes.size(); end += length, ++cut.kept) {
        length = page.CharacterLength(bytes, end);
        if (end + length > capacity)
            break;
    }
    for (qsizetype at = end; at < bytes.size(); at += page.CharacterLength(bytes, at))
        ++cut.lost;
    bytes.truncate(end);
    return cut;
}

void SetFieldBytes(TTagRecord& record, TagField field, const QByteArray& bytes,
                   const TagCodec& codec) {
    QByteArray& stored = record.Field(field);
    stored = bytes;
    CutToCapacity(stored, FieldCapacity(record, field), codec.Page());
}

void SetFieldText(TTagRecord& record, TagField field, const QString& text, const TagCodec& codec,
                  FieldLosses* losses) {
    CodePage::Encoded encoded = codec.Page().Encode(text, codec.transliterate);
    const FieldCut cut = CutToCapacity(encoded.bytes, FieldCapacity(record, field), codec.Page());
    if (losses) {
        const std::size_t k = std::size_t(field);
        losses->cut[k] = cut.lost;
        losses->kept[k] = cut.kept;
        losses->unmapped[k] = encoded.replaced;
        losses->transliterated[k] = encoded.transliterated;
    }
    record.Field(field) = std::move(encoded.bytes);
}

void SetTrack(TTagRecord& record, int track, const TagCodec& codec, FieldLosses* losses) {
    record.Track = quint8(track);
    if (record.Comment.size() <= FieldCapacity(record, TagField::Comment))
        return;
    // The comment's bytes may run on past its text (NULs, old bytes behind them): what counts
    // is the text it loses.
    const qsizetype before = losses ? FieldText(record.Comment, codec).size() : 0;
    CutToCapacity(record.Comment, FieldCapacity(record, TagField::Comment), codec.Page());
    if (!losses)
        return;
    const qsizetype after = FieldText(record.Comment, codec).size();
    if (before > after) {
        const std::size_t k = std::size_t(TagField::Comment);
        losses->cut[k] += int(before - after);
        losses->kept[k] = int(after);
    }
}

QString TrackText(int track) {
    return track > 0 ? QString::number(track) : QString();
}

std::optional<int> TrackFromText(QStringView text) {
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int track = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        track = track * 10 + (c.unicode() - u'0');
    }
    if (track > kMaxTrack)
        return std::nullopt;
    return track;
}

void CopyValues(const TTagRecord& from, TTagRecord& to) {
    for (const TagField field : kTextFields) {
        const QByteArray& bytes = from.Field(field);
        QByteArray& into = to.Field(field);
        into.resize(bytes.size());
        std::copy_n(bytes.constData(), bytes.size(), into.data());
    }
    to.Track = from.Track;
    to.Genre = from.Genre;
}

void ClearTag(TTagRecord& record) {
    for (const TagField field : kTextFields)
        record.Field(field).clear();
    record.Track = 0;
    record.Genre = 0;
}

} // namespace vantuke
