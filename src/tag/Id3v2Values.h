#pragma once

#include "tag/TagRecord.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

namespace vantuke {

// How the values of an ID3v2 tag become the values of an ID3v1 tag. Works on text only; the
// tag's frames are read in Id3v2Tag.h.

// One text for an ID3v1 field.
struct Id3v2Text {
    QString text;
    // Every frame the text came from was stored as ISO-8859-1, so text.toLatin1() gives the
    // frame's own bytes back. Older tag tools wrote such frames in the code page of their
    // system (Windows-1252, Windows-1251 ...), not in ISO-8859-1.
    bool latin1 = false;

    bool operator==(const Id3v2Text&) const = default;
};

// What an ID3v2 tag gives the ID3v1 fields.
struct Id3v2Values {
    // The text fields, in TagField order: nothing where the tag has no value for the field.
    // The year is four digits.
    std::array<std::optional<Id3v2Text>, kTextFieldCount> texts;
    std::optional<int> track; // 1 to 255
    std::optional<int> genre; // 0 to 147
    // A value the ID3v1 tag cannot hold, one note each: a track that is no number from 1 to
    // 255, a genre without an ID3v1 number, a date without a year. The field gets nothing.
    QStringList notes;

    std::optional<Id3v2Text>& Text(TagField field) { return texts[std::size_t(field)]; }
    const std::optional<Id3v2Text>& Text(TagField field) const { return texts[std::size_t(field)]; }
};

// The values of one frame as text for a field: several joined with " / ", each on one line
// (a line break or other control character becomes a space) and without spaces at either
// end. Empty values drop out.
QString JoinedFieldText(const QStringList& values);

// The year of a date: the first four digits in a row ("2004-05-01T10:00" and "20040501"
// give "2004", "c. 1998" gives "1998"); nothing when the text has no four digits in a row.
std::optional<QString> YearOfDate(QStringView date);

// A track number as the ID3v1 tag holds it: the number before an optional "/" and total
// ("3/12" gives 3), spaces around it ignored. Either the number, or why there is none.
struct TrackNumber {
    std::optional<int> number; // 1 to 255
    QString problem;           // when number is nothing: "over 255", "zero", "not a number"
};
TrackNumber TrackOfText(QStringView text);

// The ID3v1 genre of the values of a genre frame: numbers ("17", "(17)"), names ("Rock",
// "Thrash Metal", any letter case) and both ("(17)Rock"); a value may hold several, separated
// by ";" or in parentheses one after another. The first that has an ID3v1 number wins.
// "(RX)" and "(CR)" stand for Remix and Cover; "((" begins a name that starts with "(".
struct GenreChoice {
    std::optional<int> genre; // 0 to 147
    // When no value has an ID3v1 number: the values, each as a name, joined with " / ".
    QString unmatched;
};
GenreChoice GenreOfValues(const QStringList& values);

} // namespace vantuke
