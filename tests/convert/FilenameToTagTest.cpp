#include "convert/FilenameToTag.h"

#include <gtest/gtest.h>

namespace vantuke {
namespace {

// Tag texts in Windows-1252, the code page of a first start.
const TagCodec kCodec;

// The record as it arrives from a file's existing tag: every field set, so a field that the
// conversion leaves alone is told apart from one it empties.
TTagRecord ArrivingTag() {
    TTagRecord tag;
    SetFieldText(tag, TagField::SongName, QStringLiteral("old song"), kCodec);
    SetFieldText(tag, TagField::Artist, QStringLiteral("old artist"), kCodec);
    SetFieldText(tag, TagField::Album, QStringLiteral("old album"), kCodec);
    SetFieldText(tag, TagField::Year, QStringLiteral("1900"), kCodec);
    SetFieldText(tag, TagField::Comment, QStringLiteral("old comment"), kCodec);
    tag.Genre = 42;
    return tag;
}

struct OldStyleCase {
    const char* title;
    const char* separator;
    bool clearSpaces;
    int format;
    const char* songName;
    const char* artist;
};

class OldStyleTest : public testing::TestWithParam<OldStyleCase> {};

TEST_P(OldStyleTest, SplitsAtTheSeparator) {
    const OldStyleCase& c = GetParam();
    OldStyleOptions options;
    options.separator = QString::fromUtf8(c.separator);
    options.clearSpaces = c.clearSpaces;
    options.format = c.format;
    TTagRecord tag = ArrivingTag();
    OldStyleToTag(tag, QString::fromUtf8(c.title), options, kCodec);

    TTagRecord expected = ArrivingTag();
    SetFieldText(expected, TagField::SongName, QString::fromUtf8(c.songName), kCodec);
    SetFieldText(expected, TagField::Artist, QString::fromUtf8(c.artist), kCodec);
    EXPECT_EQ(tag, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, OldStyleTest,
    testing::Values(
        OldStyleCase{"Dj Star - Morning Light", "-", true, 0, "Morning Light", "Dj Star"},
        OldStyleCase{"Dj Star - Morning Light", "-", false, 0, " Morning Light", "Dj Star "},
        OldStyleCase{"Dj Star - Morning Light", "-", true, 1, "Dj Star", "Morning Light"},
        OldStyleCase{"Dj Star - Morning Light", "-", true, 2, "Morning Light", "old artist"},
        OldStyleCase{"Dj Star - Morning Light", "-", true, 3, "Dj Star", "old artist"},
        OldStyleCase{"Dj Star - Morning Light", "-", true, 4, "old song", "Morning Light"},
        OldStyleCase{"Dj Star - Morning Light", "-", true, 5, "old song", "Dj Star"},
        OldStyleCase{"  Whole  ", "-", true, 6, "  Whole  ", "old artist"},
        OldStyleCase{"  Whole  ", "-", true, 7, "old song", "  Whole  "},
        OldStyleCase{"Dj Star - Morning Light", "-", true, -1, "old song", "old artist"},
        OldStyleCase{"Dj Star - Morning Light", "-", true, 8, "old song", "old artist"}));

INSTANTIATE_TEST_SUITE_P(
    SplitPositions, OldStyleTest,
    testing::Values(
        OldStyleCase{"Dj Star - Morning Light", " - ", false, 0, "Morning Light", "Dj Star"},
        OldStyleCase{"A - B - C", "-", false, 0, " B - C", "A "},
        OldStyleCase{"A - B - C", "-", true, 0, "B - C", "A"},
        // No separator: the title is not split, all of it is the left part.
        OldStyleCase{"Intro", "-", true, 0, "", "Intro"},
        OldStyleCase{"Intro", "xyz", true, 0, "", "Intro"},
        OldStyleCase{"track01", "-", true, 1, "track01", ""},
        OldStyleCase{"  Intro ", "-", true, 5, "old song", "Intro"},
        OldStyleCase{"Intro", "-", true, 2, "", "old artist"},
        OldStyleCase{"Intro-", "-", true, 0, "", "Intro"},
        OldStyleCase{"- Song", "-", true, 0, "Song", ""},
        OldStyleCase{"Title", "", true, 0, "Title", ""}, OldStyleCase{"-", "-", true, 0, "", ""},
        OldStyleCase{"ab", "abcdefghij", true, 1, "ab", ""}, OldStyleCase{"", "-", true, 0, "", ""},
        // Only spaces are trimmed, and only at the ends of each half.
        OldStyleCase{"\tA  B - C D\t", "-", true, 0, "C D\t", "\tA  B"},
        OldStyleCase{"   -   ", "-", true, 0, "", ""},
        // Separators are compared case-sensitively.
        OldStyleCase{"aXbxc", "x", true, 0, "c", "aXb"}));

TEST(OldStyleTruncationTest, StoresTheFirstThirtyCharacters) {
    OldStyleOptions options;
    options.format = 6;
    TTagRecord tag = ArrivingTag();
    const QString title = QStringLiteral("0123456789").repeated(4);
    OldStyleToTag(tag, title, options, kCodec);
    EXPECT_EQ(FieldText(tag, TagField::SongName, kCodec), title.left(30));
}

struct NewStyleCase {
    const char* tmpl;
    const char* title;
    // Expected SongName, Artist, Album, Year, Comment; nullptr: keeps the arriving value.
    const char* fields[5];
};

class NewStyleTest : public testing::TestWithParam<NewStyleCase> {};

TEST_P(NewStyleTest, MatchesTheTemplate) {
    const NewStyleCase& c = GetParam();
    TTagRecord tag = ArrivingTag();
    NewStyleToTag(tag, QString::fromUtf8(c.title), QString::fromUtf8(c.tmpl), kCodec);

    TTagRecord expected = ArrivingTag();
    for (TagField field : kTextFields) {
        if (const char* text = c.fields[int(field)])
            SetFieldText(expected, field, QString::fromUtf8(text), kCodec);
    }
    EXPECT_EQ(tag, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, NewStyleTest,
    testing::Values(
        NewStyleCase{"%2 - %1", "Dj Star - Morning Light", {"Morning Light", "Dj Star"}},
        NewStyleCase{"(%2) - %1 (%4)",
                     "(Dj Star) - Morning Light (1994)",
                     {"Morning Light", "Dj Star", nullptr, "1994"}},
        NewStyleCase{"%2 - %1", "A - B - C", {"B - C", "A"}},
        NewStyleCase{"%N-%2 - %1", "07-Dj Star - Morning Light", {"Morning Light", "Dj Star"}},
        // " (" never occurs: the song name is the rest less two characters, the year stays.
        NewStyleCase{"%2 - %1 (%4)", "Dj Star - Morning Light", {"Morning Lig", "Dj Star"}},
        NewStyleCase{"%2 - %1", "Dj Star - ", {nullptr, "Dj Star"}},
        NewStyleCase{"%1%2", "Whole Title", {"", "Whole Title"}},
        NewStyleCase{"%U - %1", "Intro Track - Theme", {"Theme"}},
        NewStyleCase{"%4%5", "19981", {nullptr, nullptr, nullptr, "", "19981"}},
        NewStyleCase{"%3 %4", "Best Of 1999", {nullptr, nullptr, "Best", "Of 1"}},
        NewStyleCase{"%2 - %1",
                     "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX",
                     {nullptr, "abcdefghijklmnopqrstuvwxyzABCD"}},
        // Text before the first literal is skipped.
        NewStyleCase{"[%3] %1", "junk[Album] Song", {"Song", nullptr, "Album"}},
        // A "%" that is a code character also starts the next code.
        NewStyleCase{"%%1", "Song", {"Song"}}, NewStyleCase{"%1%%2", "A%B", {"", "A%B"}},
        // Codes 6 to 9 and letters name no field here.
        NewStyleCase{"%6-%7-%8-%9-%1", "a-b-c-d-e", {"e"}},
        NewStyleCase{"%1 - %3 - %5", "x - y - z", {"x", nullptr, "y", nullptr, "z"}},
        // The literal is compared case-sensitively.
        NewStyleCase{"%2 x %1", "A X B x C", {"C", "A X B"}},
        // What is left is not longer than the literal: the pending field becomes empty.
        NewStyleCase{"%1 - %2", "ab", {""}}, NewStyleCase{"%1abc", "abc", {""}},
        // A final "%" begins a code without a character, which names no field.
        NewStyleCase{"%1-%", "a-b", {"a"}}, NewStyleCase{"%", "abc", {}},
        NewStyleCase{"", "abc", {}}, NewStyleCase{"%1", "", {}},
        NewStyleCase{"literal only", "some literal only text", {}}));

// "%T" reads 1 to 3 digits as the track; a number that is no track (0, over 255), more digits
// or no digits set none: the track keeps its value, and the text is kept to be noted.
TEST(NewStyleTrackTest, TakesOneToThreeDigitsFromOneTo255) {
    const struct {
        const char* tmpl;
        const char* title;
        int track;             // after; the record arrives with track 5
        const char* notATrack; // nullptr: none noted
        const char* songName;
    } cases[] = {
        {"%T - %1", "07 - Morning Light", 7, nullptr, "Morning Light"},
        {"%T - %1", "7 - Morning Light", 7, nullptr, "Morning Light"},
        {"%T - %1", "255 - Morning Light", 255, nullptr, "Morning Light"},
        {"%2 - %T. %1", "Dj Star -  12 . Intro", 12, nullptr, "Intro"},
        {"%T - %1", "0 - Intro", 5, "0", "Intro"},
        {"%T - %1", "256 - Intro", 5, "256", "Intro"},
        {"%T - %1", "0007 - Intro", 5, "0007", "Intro"},
        {"%T - %1", "Side A - Intro", 5, "Side A", "Intro"},
        {"%t - %1", "07 - Intro", 5, nullptr, "Intro"}, // "%t" is a useless code
        {"%1 - %T", "Intro - ", 5, nullptr, "Intro"},   // the name ends first: not assigned
    };
    for (const auto& c : cases) {
        TTagRecord tag;
        SetTrack(tag, 5, kCodec);
        FieldLosses losses;
        NewStyleToTag(tag, QString::fromUtf8(c.title), QString::fromUtf8(c.tmpl), kCodec, &losses);
        EXPECT_EQ(tag.Track, c.track) << c.title;
        EXPECT_EQ(losses.notATrack,
                  c.notATrack ? std::optional<QString>(c.notATrack) : std::optional<QString>())
            << c.title;
        EXPECT_EQ(FieldText(tag, TagField::SongName, kCodec), c.songName) << c.title;
    }
}

// A comment read from the name beside a track read from it keeps 28 bytes, in either order.
TEST(NewStyleTrackTest, TheCommentBesideANewTrackIsCutTo28) {
    for (const char* tmpl : {"%T %5", "%5 %T"}) {
        const QString comment(30, 'c');
        const QString title = QString(tmpl).startsWith("%T") ? "03 " + comment : comment + " 03";
        TTagRecord tag;
        FieldLosses losses;
        NewStyleToTag(tag, title, tmpl, kCodec, &losses);
        EXPECT_EQ(tag.Track, 3) << tmpl;
        EXPECT_EQ(tag.Comment, QByteArray(28, 'c')) << tmpl;
        EXPECT_EQ(losses.cut[size_t(TagField::Comment)], 2) << tmpl;
    }
}

TEST(FilenameToTagTest, ChoosesTheStyle) {
    FilenameToTagOptions options;
    options.old.separator = QStringLiteral("_");
    options.old.format = 1;
    options.newStyleTemplate = QStringLiteral("%3_%4");

    TTagRecord oldStyle = ArrivingTag();
    options.oldStyle = true;
    FilenameToTag(oldStyle, QStringLiteral("left_right"), options, kCodec);
    EXPECT_EQ(FieldText(oldStyle, TagField::SongName, kCodec), "left");
    EXPECT_EQ(FieldText(oldStyle, TagField::Artist, kCodec), "right");
    EXPECT_EQ(FieldText(oldStyle, TagField::Album, kCodec), "old album");

    TTagRecord newStyle = ArrivingTag();
    options.oldStyle = false;
    FilenameToTag(newStyle, QStringLiteral("left_right"), options, kCodec);
    EXPECT_EQ(FieldText(newStyle, TagField::SongName, kCodec), "old song");
    EXPECT_EQ(FieldText(newStyle, TagField::Album, kCodec), "left");
    EXPECT_EQ(FieldText(newStyle, TagField::Year, kCodec), "righ");
}

TEST(FilenameToTagTest, LongTitlesAndTemplatesFinish) {
    const QString title = QStringLiteral("ab - ").repeated(50000);
    TTagRecord tag = ArrivingTag();
    NewStyleToTag(tag, title, QStringLiteral("%1 - ").repeated(20000) + u'%', kCodec);
    EXPECT_EQ(FieldText(tag, TagField::SongName, kCodec), "ab");

    OldStyleOptions options;
    options.separator = QStringLiteral("zz");
    OldStyleToTag(tag, title, options, kCodec);
    EXPECT_EQ(FieldText(tag, TagField::Artist, kCodec), title.left(30));
    EXPECT_EQ(FieldText(tag, TagField::SongName, kCodec), "");
}

} // namespace
} // namespace vantuke
