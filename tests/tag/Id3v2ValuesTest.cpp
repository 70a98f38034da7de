#include "tag/Id3v2Values.h"

#include <gtest/gtest.h>

namespace {

using namespace vantuke;

TEST(Id3v2ValuesTest, YearIsTheFirstFourDigitsInARow) {
    const struct {
        const char* date;
        const char* year; // nullptr: none
    } cases[] = {
        {"2004-05-01T10:00", "2004"},
        {"2004", "2004"},
        {"20040501", "2004"},
        {"c. 1998", "1998"},
        {"1998 ", "1998"},
        {"05/01/2004", "2004"},
        {"98", nullptr},
        {"", nullptr},
        {"19 98", nullptr},
        {"１９９８", nullptr}, // full-width digits are no year for an ID3v1 tag
    };
    for (const auto& c : cases) {
        const std::optional<QString> year = YearOfDate(QString::fromUtf8(c.date));
        if (c.year)
            EXPECT_EQ(year, QString::fromLatin1(c.year)) << c.date;
        else
            EXPECT_FALSE(year) << c.date;
    }
}

TEST(Id3v2ValuesTest, TrackIsTheNumberBeforeTheTotal) {
    const struct {
        const char* text;
        int track; // 0: none
        const char* problem;
    } cases[] = {
        {"3/12", 3, ""},
        {"3", 3, ""},
        {" 07 / 12 ", 7, ""},
        {"255", 255, ""},
        {"0255", 255, ""},
        {"3/", 3, ""},
        {"256", 0, "over 255"},
        {"99999999999999999999", 0, "over 255"},
        {"0", 0, "zero"},
        {"00/12", 0, "zero"},
        {"A1", 0, "not a number"},
        {"3a", 0, "not a number"},
        {"+3", 0, "not a number"},
        {"-1", 0, "not a number"},
        {"/12", 0, "not a number"},
        {"", 0, "not a number"},
    };
    for (const auto& c : cases) {
        const TrackNumber track = TrackOfText(QString::fromLatin1(c.text));
        EXPECT_EQ(track.number.value_or(0), c.track) << c.text;
        EXPECT_EQ(track.problem, QString::fromLatin1(c.problem)) << c.text;
    }
}

TEST(Id3v2ValuesTest, TheFirstGenreValueWithAnId3v1NumberWins) {
    const struct {
        QStringList values;
        int genre; // -1: none
        const char* unmatched;
    } cases[] = {
        {{"(17)"}, 17, ""},
        {{"17"}, 17, ""},
        {{"Rock"}, 17, ""},
        {{"(17)Rock"}, 17, ""},
        {{"(17)Pop"}, 17, ""},
        {{"rock"}, 17, ""},
        {{"017"}, 17, ""},
        {{"0"}, 0, ""},
        {{"(0)"}, 0, ""},
        {{"Shoegaze", "Rock"}, 17, ""},
        {{"(RX)(17)"}, 17, ""},
        {{"Shoegaze; Pop"}, 13, ""},
        {{"Trash Metal"}, 144, ""},
        {{"Thrash Metal"}, 144, ""},
        {{"Shoegaze"}, -1, "Shoegaze"},
        {{"Shoegaze", "Dream Pop"}, -1, "Shoegaze / Dream Pop"},
        {{"(150)"}, -1, "150"},
        {{"148"}, -1, "148"},
        {{"(RX)"}, -1, "Remix"},
        {{"(CR)"}, -1, "Cover"},
        {{"((Parenthesised)"}, -1, "(Parenthesised)"},
        {{"(255)"}, -1, ""},
        {{"(17"}, -1, "(17"},
        {{""}, -1, ""},
        {{}, -1, ""},
    };
    for (const auto& c : cases) {
        const GenreChoice choice = GenreOfValues(c.values);
        EXPECT_EQ(choice.genre.value_or(-1), c.genre) << c.values.join('|').toStdString();
        EXPECT_EQ(choice.unmatched, QString::fromLatin1(c.unmatched))
            << c.values.join('|').toStdString();
    }
}

TEST(Id3v2ValuesTest, FieldTextJoinsValuesOnOneLine) {
    EXPECT_EQ(JoinedFieldText({"A", "B", "C"}), "A / B / C");
    EXPECT_EQ(JoinedFieldText({"A", "", " ", "B"}), "A / B");
    EXPECT_EQ(JoinedFieldText({"first line\r\nsecond\tpart\n"}), "first line second part");
    EXPECT_EQ(JoinedFieldText({QString("a") + QChar(0) + "b"}), "a b");
    EXPECT_EQ(JoinedFieldText({"  Intro  "}), "Intro");
    EXPECT_EQ(JoinedFieldText({}), "");
}

} // namespace
