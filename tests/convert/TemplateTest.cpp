#include "convert/Template.h"

#include <QByteArray>
#include <climits>
#include <gtest/gtest.h>

namespace vantuke {
namespace {

// Tag texts in Windows-1252, the code page of a first start.
const TagCodec kCodec;

const QString kPath = QStringLiteral("/Music/The Band - Lovely Day.MP3");

TTagRecord SampleTag(quint8 genre = 17) {
    TTagRecord tag;
    SetFieldText(tag, TagField::SongName, QStringLiteral("Lovely Day"), kCodec);
    SetFieldText(tag, TagField::Artist, QStringLiteral("The Band"), kCodec);
    SetFieldText(tag, TagField::Album, QStringLiteral("Best Of"), kCodec);
    SetFieldText(tag, TagField::Year, QStringLiteral("1998"), kCodec);
    SetFieldText(tag, TagField::Comment, QStringLiteral("Live"), kCodec);
    tag.Genre = genre;
    return tag;
}

struct ExpandCase {
    const char* tmpl;
    const char* expected;
    int number = 1;
    int numberOfDigits = 1;
    int extensionFormat = 1;
    int genre = 17;
};

class ExpandTemplateTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandTemplateTest, Expands) {
    const ExpandCase& c = GetParam();
    ProgramOptions options;
    options.numberOfDigits = c.numberOfDigits;
    options.extensionFormat = c.extensionFormat;
    EXPECT_EQ(ExpandTemplate(SampleTag(quint8(c.genre)), QString::fromUtf8(c.tmpl), kPath, c.number,
                             options),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ExpandTemplateTest,
    testing::Values(ExpandCase{"%2 - %1 (%4,%6)", "The Band - Lovely Day (1998,Rock)"},
                    ExpandCase{"%3|%5", "Best Of|Live"},
                    ExpandCase{"Song %2 - %1 is %6", "Song The Band - Lovely Day is Blues", 1, 1, 1,
                               0},
                    ExpandCase{"%6", "SynthPop", 1, 1, 1, 147},
                    ExpandCase{"%6", "unknown style", 1, 1, 1, 148},
                    ExpandCase{"%6", "unknown style", 1, 1, 1, 255},
                    ExpandCase{"%8%7.%9", "/Music/The Band - Lovely Day.MP3", 1, 1, 2},
                    ExpandCase{"%7.%9", "The Band - Lovely Day.Mp3", 1, 1, 0},
                    ExpandCase{"%9", "mP3", 1, 1, 3}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ExpandTemplateTest,
    testing::Values(ExpandCase{"%N_%2 - %1", "04_The Band - Lovely Day", 4, 1},
                    ExpandCase{"%N_%2 - %1", "4_The Band - Lovely Day", 4, 0},
                    ExpandCase{"%N_%2 - %1", "1234_The Band - Lovely Day", 1234, 1},
                    ExpandCase{"%n", "007", 7, 2}, ExpandCase{"%N", "0012", 12, 3},
                    ExpandCase{"%N", "123", 123, 1}, ExpandCase{"%N", "2147483647", INT_MAX, 3},
                    // Out-of-range digit counts are held to 1 to 4 digits.
                    ExpandCase{"%N", "0005", 5, 1000}, ExpandCase{"%N", "5", 5, -3}));

INSTANTIATE_TEST_SUITE_P(Literals, ExpandTemplateTest,
                         testing::Values(ExpandCase{"100%", "100%"}, ExpandCase{"%0%x", "%0%x"},
                                         ExpandCase{"%%1", "%Lovely Day"}, ExpandCase{"%", "%"},
                                         ExpandCase{"%%", "%%"}, ExpandCase{"% 1", "% 1"},
                                         ExpandCase{"50%%N", "50%01"}, ExpandCase{"", ""},
                                         ExpandCase{"no codes", "no codes"},
                                         ExpandCase{"ü%Ü", "ü%Ü"}, ExpandCase{"a/b:c?", "a/b:c?"}));

// "%T" is the track in two digits, nothing without one; "%t" is no code.
TEST(ExpandTemplateFieldsTest, TheTrackInTwoDigits) {
    const struct {
        int track;
        const char* expected;
    } cases[] = {{7, "07 Lovely Day %t"},
                 {12, "12 Lovely Day %t"},
                 {123, "123 Lovely Day %t"},
                 {0, " Lovely Day %t"}};
    for (const auto& c : cases) {
        TTagRecord tag = SampleTag();
        SetTrack(tag, c.track, kCodec);
        EXPECT_EQ(ExpandTemplate(tag, QStringLiteral("%T %1 %t"), kPath, 1, ProgramOptions{}),
                  QString::fromUtf8(c.expected));
    }
}

TEST(ExpandTemplateFieldsTest, FieldsEndAtTheirFirstNul) {
    TTagRecord tag = SampleTag();
    tag.SongName = QByteArray("Love\0x", 6);
    tag.Artist = QByteArray("\0hidden", 7);
    EXPECT_EQ(ExpandTemplate(tag, QStringLiteral("[%1][%2]"), kPath, 1, {}), "[Love][]");
}

TEST(ExpandTemplateFieldsTest, NoPieceCarriesANul) {
    const QString tmpl = QStringLiteral("a") + QChar(0) + QStringLiteral("b[%7]");
    const QString path = QStringLiteral("/m/ti") + QChar(0) + QStringLiteral("tle.mp3");
    EXPECT_EQ(ExpandTemplate(SampleTag(), tmpl, path, 1, {}), "ab[ti]");
}

TEST(ExpandTemplateFieldsTest, NulsInTheTemplateAreDroppedWithoutJoiningCodes) {
    const QChar nul(0);
    const struct {
        QString tmpl;
        QString expected;
    } cases[] = {
        {QString("a") + nul + nul + "b", "ab"},
        {nul + QString("%1") + nul, "Lovely Day"},
        {QString("%1") + nul + "%2", "Lovely DayThe Band"},
        // A NUL between "%" and a code character leaves both as text.
        {QString("%") + nul + "1", "%1"},
        {QString("x%") + nul, "x%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandTemplate(SampleTag(), c.tmpl, kPath, 1, {}), c.expected)
            << c.expected.toStdString();
}

TEST(ExpandTemplateFieldsTest, PathsWithoutFolderOrMp3Ending) {
    const TTagRecord tag = SampleTag();
    EXPECT_EQ(
        ExpandTemplate(tag, QStringLiteral("%7.%9"), QStringLiteral("/Music/clip.wav"), 1, {}),
        "clip.wav.mp3");
    EXPECT_EQ(ExpandTemplate(tag, QStringLiteral("[%8][%7]"), QStringLiteral("song.MP3"), 1, {}),
              "[][song]");
}

TEST(ExpandTemplateFieldsTest, LongTemplatesAndFieldsAreCopiedWhole) {
    TTagRecord tag = SampleTag();
    SetFieldText(tag, TagField::Comment, QString(30, u'c'), kCodec);
    const QString tmpl = QStringLiteral("%5%").repeated(10000);
    const QString expected = (QString(30, u'c') + u'%').repeated(10000);
    EXPECT_EQ(ExpandTemplate(tag, tmpl, kPath, 1, {}), expected);
}

// In a status line the values keep to one line; the template's own text stays as written,
// so a tab between codes still separates columns.
TEST(ExpandTemplateFieldsTest, StatusLineValuesShowControlCharactersAsQuestionMarks) {
    TTagRecord tag = SampleTag();
    SetFieldBytes(tag, TagField::SongName, "Line\nbreak\r", kCodec);
    SetFieldBytes(tag, TagField::Artist, "A\x81\tB", kCodec);
    const QString path = QStringLiteral("/Mu\nsic/x\nProcess Complete! (0 errors)\ny.mp3");
    const QString tmpl = QStringLiteral("%1\t%2|%8|%7");
    EXPECT_EQ(ExpandTemplate(tag, tmpl, path, 1, {}, ExpansionUse::StatusLine),
              "Line?break?\tA??B|/Mu?sic/|x?Process Complete! (0 errors)?y");
    EXPECT_EQ(ExpandTemplate(tag, tmpl, path, 1, {}),
              QString::fromUtf8("Line\nbreak\r\tA\u0081\tB|/Mu\nsic/|x\nProcess Complete! (0 "
                                "errors)\ny"));
}

} // namespace
} // namespace vantuke
