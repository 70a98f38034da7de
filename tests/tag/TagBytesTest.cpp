// The tag's byte layout on its own: marker test, parse and build.
#include "tag/TagBytes.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace vantuke;
using testsupport::MakeTag;

TEST(TagBytesTest, MarkerIsTagInAnyLetterCaseOfATo_ZOnly) {
    const std::pair<QByteArray, bool> cases[] = {
        {"TAG", true},
        {"tag", true},
        {"tAg...", true},
        {"TA", false},
        {"", false},
        {"TAF", false},
        {"T\0G", false},
        {"\xD4\xC1\xC7", false},
        {"\xF4\xE1\xE7", false}, // Latin-1 letters with a to z bits set: no folding
    };
    for (const auto& [bytes, marker] : cases)
        EXPECT_EQ(IsTagMarker(bytes), marker) << bytes.toHex().toStdString();
}

TEST(TagBytesTest, ParseDropsOnlyTrailingSpacesAndBuildPadsWithNuls) {
    const QByteArray tag = "TAG" + QByteArray("Ab \0 ", 5) + QByteArray(25, ' ') // song
                           + QByteArray(30, ' ')                                 // artist
                           + "Album" + QByteArray(25, '\0')                      // album
                           + "19 9"                                              // year
                           + QByteArray(29, 'c') + ' '                           // comment
                           + "\x93";                                             // genre
    ASSERT_EQ(tag.size(), kTagSize);
    TTagRecord record;
    ASSERT_TRUE(ParseTagFields(QByteArrayView(tag).sliced(kTagMarkerSize), record));
    EXPECT_EQ(record.SongName, QByteArray("Ab \0", 4));
    EXPECT_EQ(record.Artist, "");
    EXPECT_EQ(record.Album, "Album" + QByteArray(25, '\0'));
    EXPECT_EQ(record.Year, "19 9");
    EXPECT_EQ(record.Comment, QByteArray(29, 'c'));
    EXPECT_EQ(record.Genre, 0x93);
    EXPECT_EQ(BuildTag(record),
              MakeTag(QByteArray("Ab \0", 4), "", "Album", "19 9", QByteArray(29, 'c'), 0x93));
}

TEST(TagBytesTest, ATagWithoutTrailingSpacesComesBackByteForByte) {
    const QByteArray tags[] = {
        MakeTag("Song", "Artist", "Album", "2001", "Comment", 17),
        MakeTag(QByteArray(30, 'x'), QByteArray(30, 'y'), QByteArray(30, '\xFF'), "1234",
                QByteArray(30, '\x01'), 255),
        MakeTag(QByteArray("a\0b", 3), "", "", "", "", 0),
    };
    for (const QByteArray& tag : tags) {
        TTagRecord record;
        ASSERT_TRUE(ParseTagFields(QByteArrayView(tag).sliced(kTagMarkerSize), record));
        EXPECT_EQ(BuildTag(record), tag);
    }
}

TEST(TagBytesTest, BuildAlwaysGives128BytesAndTooFewFieldBytesParseNothing) {
    TTagRecord record;
    record.SongName = QByteArray(40, 's'); // set around the truncation rule
    record.Year = "199912";
    const QByteArray tag = BuildTag(record);
    EXPECT_EQ(tag, MakeTag(QByteArray(30, 's'), "", "", "1999"));

    TTagRecord untouched;
    untouched.Artist = "kept";
    EXPECT_FALSE(ParseTagFields(QByteArray(kTagFieldsSize - 1, 'x'), untouched));
    EXPECT_EQ(untouched.Artist, "kept");
}

} // namespace
