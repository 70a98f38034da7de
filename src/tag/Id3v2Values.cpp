#include "tag/Id3v2Values.h"

#include "tag/Genres.h"

namespace vantuke {

namespace {

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool AllAsciiDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!IsAsciiDigit(c))
            return false;
    }
    return true;
}

// A text on one line: each control character becomes a space, and a line break of two
// characters (CR LF) one space.
QString OneLine(QStringView text) {
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        line += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(u' ') : c;
    }
    return line.trimmed();
}

// One candidate of a genre value: a number or a name.
struct GenrePart {
    QString name; // as the note shows it
    std::optional<int> genre;
};

// Digits without their leading zeros ("007" is "7", "000" is "0").
QStringView WithoutLeadingZeros(QStringView digits) {
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

GenrePart GenreOfNumber(QStringView digits) {
    GenrePart part{digits.toString(), std::nullopt};
    // Numbers beyond the table (148 to 254, and 255 for "none") have no name here.
    const QStringView number = WithoutLeadingZeros(digits);
    if (number.size() <= 3 && number.toInt() < kGenreCount)
        part.genre = number.toInt();
    return part;
}

GenrePart GenreOfWord(QStringView name) {
    return GenrePart{name.toString(), GenreFromName(name)};
}

// The candidates of one value, in the order it names them.
void AddGenreParts(QStringView value, QList<GenrePart>& parts) {
    value = value.trimmed();
    // An older form puts ID3v1 numbers (and RX, CR) in parentheses before an optional name.
    while (value.startsWith(u'(') && !value.startsWith(u"((")) {
        const qsizetype close = value.indexOf(u')');
        if (close < 0)
            break;
        const QStringView inside = value.sliced(1, close - 1).trimmed();
        if (AllAsciiDigits(inside))
            parts.append(GenreOfNumber(inside));
        else if (inside == u"RX")
            parts.append(GenreOfWord(u"Remix"));
        else if (inside == u"CR")
            parts.append(GenreOfWord(u"Cover"));
        else if (!inside.isEmpty())
            parts.append(GenreOfWord(inside));
        value = value.sliced(close + 1).trimmed();
    }
    if (value.startsWith(u"(("))
        value = value.sliced(1);
    if (value.isEmpty())
        return;
    if (AllAsciiDigits(value))
        parts.append(GenreOfNumber(value));
    else
        parts.append(GenreOfWord(value));
}

} // namespace

QString JoinedFieldText(const QStringList& values) {
    QString joined;
    for (const QString& value : values) {
        const QString line = OneLine(value);
        if (line.isEmpty())
            continue;
        if (!joined.isEmpty())
            joined += u" / ";
        joined += line;
    }
    return joined;
}

std::optional<QString> YearOfDate(QStringView date) {
    qsizetype run = 0;
    for (qsizetype i = 0; i < date.size(); ++i) {
        run = IsAsciiDigit(date[i]) ? run + 1 : 0;
        if (run == 4)
            return date.sliced(i - 3, 4).toString();
    }
    return std::nullopt;
}

TrackNumber TrackOfText(QStringView text) {
    const qsizetype slash = text.indexOf(u'/');
    const QStringView number = (slash < 0 ? text : text.first(slash)).trimmed();
    if (!AllAsciiDigits(number))
        return TrackNumber{std::nullopt, QStringLiteral("not a number")};
    // Leading zeros ("007") are allowed; past them, four digits are over 255 whatever they say.
    const QStringView digits = WithoutLeadingZeros(number);
    if (digits.size() > 3 || digits.toInt() > 255)
        return TrackNumber{std::nullopt, QStringLiteral("over 255")};
    const int track = digits.toInt();
    if (track == 0)
        return TrackNumber{std::nullopt, QStringLiteral("zero")};
    return TrackNumber{track, QString()};
}

GenreChoice GenreOfValues(const QStringList& values) {
    QList<GenrePart> parts;
    for (const QString& value : values) {
        for (const QStringView piece : QStringView(value).split(u';'))
            AddGenreParts(piece, parts);
    }
    GenreChoice choice;
    QStringList names;
    for (const GenrePart& part : parts) {
        if (part.genre)
            return GenreChoice{part.genre, QString()};
        if (part.name != u"255")
            names.append(part.name);
    }
    choice.unmatched = JoinedFieldText(names);
    return choice;
}

} // namespace vantuke
