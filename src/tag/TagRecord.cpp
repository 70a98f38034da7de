#include "tag/TagRecord.h"

#include "platform/NameBytes.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <bitset>

namespace vantuke {

namespace {

constexpr const char* kCodePage = "windows-1252";
// What the encoder writes for a character the code page lacks.
constexpr char kSubstitute = 0x1A;

// The code page's character for each byte, looked up once: decoding is a hot path of a file
// list refill, and a single-byte code page maps every byte on its own.
const std::array<QChar, 256>& DecodeTable() {
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t{};
        QStringDecoder decoder(kCodePage);
        if (!decoder.isValid())
            qFatal("Code page %s missing: Qt was built without ICU", kCodePage);
        for (int byte = 0; byte < 256; ++byte) {
            const QString text = decoder.decode(QByteArray(1, char(byte)));
            t[byte] = text.isEmpty() ? QChar(QChar::ReplacementCharacter) : text.front();
        }
        return t;
    }();
    return table;
}

QStringEncoder OpenEncoder() {
    QStringEncoder encoder(kCodePage);
    if (!encoder.isValid())
        qFatal("Code page %s missing: Qt was built without ICU", kCodePage);
    return encoder;
}

QByteArray EncodeRun(QStringView text) {
    // Opening a code page converter costs far more than converting a field, so each thread
    // keeps one. Its state is reset first: a text that ends half-way through a surrogate pair
    // must not change how the next text starts.
    thread_local QStringEncoder encoder = OpenEncoder();
    encoder.resetState();
    QByteArray bytes = encoder.encode(text);
    // Within a run holding no U+001A, every substitute byte stands for a missing character.
    bytes.replace(kSubstitute, '?');
    return bytes;
}

// True when every character has a byte of its own: a character of the code page, or an
// escaped byte of a file name.
bool InCodePage(QStringView text) {
    static const std::bitset<0x10000> inPage = [] {
        std::bitset<0x10000> set;
        for (const QChar c : DecodeTable()) {
            if (c != QChar(QChar::ReplacementCharacter))
                set.set(c.unicode());
        }
        return set;
    }();
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return inPage.test(c.unicode()) || EscapedByte(c) >= 0; });
}

bool IsAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

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

void AppendFieldText(QString& out, const QByteArray& bytes) {
    const auto& table = DecodeTable();
    const qsizetype length = qstrnlen(bytes.constData(), size_t(bytes.size()));
    const qsizetype at = out.size();
    out.resize(at + length);
    QChar* to = out.data() + at;
    for (qsizetype k = 0; k < length; ++k)
        to[k] = table[quint8(bytes[k])];
}

QString FieldText(const QByteArray& bytes) {
    QString text;
    AppendFieldText(text, bytes);
    return text;
}

QString FieldText(const TTagRecord& record, TagField field) {
    return FieldText(record.Field(field));
}

int FieldCapacity(const TTagRecord& record, TagField field) {
    return field == TagField::Comment && record.Track != 0 ? kCommentBesideTrack
                                                           : FieldCapacity(field);
}

void SetFieldBytes(TTagRecord& record, TagField field, const QByteArray& bytes) {
    record.Field(field) = bytes.left(FieldCapacity(record, field));
}

void SetFieldText(TTagRecord& record, TagField field, const QString& text, FieldLosses* losses) {
    QByteArray bytes = EncodeFieldText(text);
    if (losses) {
        // One byte per character: what lies past the capacity is that many characters.
        const std::size_t k = std::size_t(field);
        losses->cut[k] = int(std::max<qsizetype>(0, bytes.size() - FieldCapacity(record, field)));
        losses->unmapped[k] = !InCodePage(text);
    }
    SetFieldBytes(record, field, bytes);
}

QByteArray EncodeFieldText(const QString& text) {
    // Most tag texts are plain ASCII, which the code page keeps as it is.
    if (IsAscii(text))
        return text.toLatin1();
    // Two characters are no text of the code page but bytes: an escaped byte of a file name
    // (U+DC80 to U+DCFF) stands for that byte, and a genuine U+001A must stay apart from the
    // substitute bytes the encoder writes. The runs between them are encoded on their own.
    const auto isByte = [](QChar c) { return c == QChar(kSubstitute) || EscapedByte(c) >= 0; };
    if (std::none_of(text.begin(), text.end(), isByte))
        return EncodeRun(text);
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (!isByte(c))
            continue;
        bytes += EncodeRun(QStringView(text).sliced(start, at - start));
        bytes += c == QChar(kSubstitute) ? kSubstitute : char(EscapedByte(c));
        start = at + 1;
    }
    bytes += EncodeRun(QStringView(text).sliced(start));
    return bytes;
}

void SetTrack(TTagRecord& record, int track, FieldLosses* losses) {
    record.Track = quint8(track);
    if (record.Comment.size() <= FieldCapacity(record, TagField::Comment))
        return;
    const qsizetype before = losses ? FieldText(record.Comment).size() : 0;
    SetFieldBytes(record, TagField::Comment, record.Comment);
    if (losses)
        losses->cut[std::size_t(TagField::Comment)] +=
            int(before - FieldText(record.Comment).size());
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
