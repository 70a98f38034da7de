#include "convert/IniLines.h"

#include "platform/NameBytes.h"

#include <algorithm>
#include <limits>

namespace vantuke {

namespace {

const QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

char16_t CodeOf(char c) {
    return quint8(c);
}

char16_t CodeOf(QChar c) {
    return c.unicode();
}

// The blanks are ASCII, so trimming the bytes of a line and then decoding them gives the
// same text as decoding first. begin and end receive where the trimmed part lies.
template <class Text> Text TrimBlanks(Text text, qsizetype* begin = nullptr) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && IsBlank(CodeOf(text[from]))) {
        ++from;
    }
    while (to > from && IsBlank(CodeOf(text[to - 1]))) {
        --to;
    }
    if (begin) {
        *begin = from;
    }
    return text.sliced(from, to - from);
}

// FoldIniName of a name as the text holds it; an ASCII name, the usual case, is folded in one
// step.
QString FoldName(QByteArrayView raw) {
    const QByteArrayView name = TrimBlanks(raw);
    if (!std::all_of(name.begin(), name.end(), [](char c) { return quint8(c) < 0x80; })) {
        return NameFromBytes(name).toCaseFolded();
    }
    QString folded(name.size(), Qt::Uninitialized);
    std::transform(name.begin(), name.end(), folded.begin(),
                   [](char c) { return QChar(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return folded;
}

// Where IniValueBytes finds the value in a line: its start and size.
std::pair<qsizetype, qsizetype> ValueSpan(QByteArrayView line) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) {
        return {line.size(), 0};
    }
    qsizetype begin = 0;
    QByteArrayView value = TrimBlanks(line.sliced(equals + 1), &begin);
    begin += equals + 1;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.sliced(1, value.size() - 2);
        ++begin;
    }
    return {begin, value.size()};
}

bool IsHexDigits(QStringView digits) {
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c.isDigit() || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

} // namespace

IniLine ReadIniLine(QByteArrayView text, qsizetype start) {
    IniLine line;
    line.start = start;
    const qsizetype feed = text.indexOf('\n', start);
    const qsizetype end = feed < 0 ? text.size() : feed + 1;
    line.size = end - start;
    QByteArrayView content = text.sliced(start, line.size);
    if (content.endsWith('\n')) {
        content.chop(content.endsWith("\r\n") ? 2 : 1);
    }
    qsizetype offset = start;
    if (start == 0 && content.startsWith(kUtf8Bom)) {
        content = content.sliced(kUtf8Bom.size());
        offset += kUtf8Bom.size();
    }
    const QByteArrayView trimmed = TrimBlanks(content);
    if (trimmed.startsWith('[')) {
        const qsizetype close = trimmed.indexOf(']');
        line.kind = IniLine::Section;
        line.name = FoldName(trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1));
    } else if (!trimmed.startsWith(';')) {
        const qsizetype equals = trimmed.indexOf('=');
        if (equals > 0) {
            line.name = FoldName(trimmed.first(equals));
            if (!line.name.isEmpty()) {
                line.kind = IniLine::Key;
                const auto [valueStart, valueSize] = ValueSpan(content);
                line.valueStart = offset + valueStart;
                line.valueEnd = line.valueStart + valueSize;
            }
        }
    }
    return line;
}

QByteArrayView IniValueBytes(QByteArrayView line) {
    const auto [start, size] = ValueSpan(line);
    return line.sliced(start, size);
}

QString IniValueText(QByteArrayView value, bool* cut) {
    QString text = NameFromBytes(value);
    const bool tooLong = text.size() > kMaxIniValueLength;
    if (tooLong) {
        const bool splitsPair = text[kMaxIniValueLength - 1].isHighSurrogate();
        text.truncate(splitsPair ? kMaxIniValueLength - 1 : kMaxIniValueLength);
    }
    if (cut) {
        *cut = tooLong;
    }
    return text;
}

QString FoldIniName(QStringView name) {
    return TrimBlanks(name).toString().toCaseFolded();
}

bool ParseIniInteger(const QString& text, int& result) {
    bool ok = false;
    qlonglong value = 0;
    const qsizetype hexStart = text.startsWith(u'$')                                       ? 1
                               : text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? 2
                                                                                           : 0;
    if (hexStart > 0) {
        const QStringView hex = QStringView(text).mid(hexStart);
        ok = IsHexDigits(hex);
        value = ok ? hex.toLongLong(&ok, 16) : 0;
    } else {
        value = text.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return false;
    }
    result = static_cast<int>(value);
    return true;
}

} // namespace vantuke
