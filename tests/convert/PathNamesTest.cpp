#include "convert/PathNames.h"
#include "support/ReplaceByRule.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace vantuke {
namespace {

using testsupport::ReplaceByRule;

struct PathCase {
    const char* path;
    const char* folder;
    const char* title;
};

class PathPartsTest : public testing::TestWithParam<PathCase> {};

TEST_P(PathPartsTest, SplitsFolderAndTitle) {
    const PathCase& c = GetParam();
    const QString path = QString::fromUtf8(c.path);
    EXPECT_EQ(FilePathOf(path), QString::fromUtf8(c.folder));
    EXPECT_EQ(FileTitleOf(path), QString::fromUtf8(c.title));
}

INSTANTIATE_TEST_SUITE_P(Paths, PathPartsTest,
                         testing::Values(PathCase{"/Music/The Band - Lovely Day.MP3", "/Music/",
                                                  "The Band - Lovely Day"},
                                         PathCase{"/Music/clip.wav", "/Music/", "clip.wav"},
                                         PathCase{"/Music/a.mP3", "/Music/", "a"},
                                         PathCase{"/Music/a.mp3.wav", "/Music/", "a.mp3.wav"},
                                         PathCase{"/Music/a.mp3.mp3", "/Music/", "a.mp3"},
                                         PathCase{"/dir.mp3/name", "/dir.mp3/", "name"},
                                         PathCase{"/Music/.mp3", "/Music/", ""},
                                         PathCase{"/Music/", "/Music/", ""},
                                         PathCase{"song.mp3", "", "song"},
                                         PathCase{"mp3", "", "mp3"}, PathCase{".mp3", "", ""},
                                         PathCase{"", "", ""}, PathCase{"/", "/", ""},
                                         PathCase{"/Müsik/Lied.Mp3", "/Müsik/", "Lied"}));

TEST(ExtensionTextTest, FollowsTheFormatAndClampsOutOfRangeValues) {
    EXPECT_EQ(ExtensionText(0), "Mp3");
    EXPECT_EQ(ExtensionText(1), "mp3");
    EXPECT_EQ(ExtensionText(2), "MP3");
    EXPECT_EQ(ExtensionText(3), "mP3");
    EXPECT_EQ(ExtensionText(-5), "Mp3");
    EXPECT_EQ(ExtensionText(42), "mP3");
}

TEST(CleanFileNameTest, TurnsEachUnsafeCharacterIntoOneSpace) {
    EXPECT_EQ(CleanFileName("AC/DC: Live?"), "AC DC  Live ");
    EXPECT_EQ(CleanFileName("\"*/:<>?\\|"), QString(9, u' '));
    const QString untouched = QString::fromUtf8("two  spaces é.mp3 [x] \u0085\u2028~");
    EXPECT_EQ(CleanFileName(untouched), untouched);
    EXPECT_EQ(CleanFileName(QString()), QString());
    // No new name holds a control character: 1 to 31 and 127 become spaces too.
    EXPECT_EQ(CleanFileName(QString::fromUtf8("tab\there\x01\n\r\x1f\x7f.")), "tab here     .");
    const QString escaped = QStringLiteral("Caf") + QChar(0xDCE9);
    EXPECT_EQ(CleanFileName(escaped), escaped) << "an escaped byte of a name stays";
}

TEST(ShownInOneLineTest, ControlCharactersAndLineSeparatorsShowAsQuestionMarks) {
    const struct {
        QString text, shown;
    } cases[] = {
        {"plain /path/a.mp3", "plain /path/a.mp3"},
        {"x\nProcess Complete! (0 errors)\ny.mp3", "x?Process Complete! (0 errors)?y.mp3"},
        {"tab\there\r\x1b[2J", "tab?here??[2J"},
        {QString(QChar(0)) + QChar(0x7F) + QChar(0x85) + QChar(0x9F), "????"},
        {QString(QChar(0x2028)) + QChar(0x2029), "??"},
        {QString::fromUtf8("Caf\u00e9 \u00a0\u20ac"), QString::fromUtf8("Caf\u00e9 \u00a0\u20ac")},
        {QString(QChar(0xDCE9)), QString(QChar(0xDCE9))}, // an escaped byte is a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownInOneLine(c.text), c.shown) << c.text.toStdString();
    QString tail = "a\nb\nc";
    ShowInOneLine(tail, 2);
    EXPECT_EQ(tail, "a\nb?c");
}

struct ReplaceCase {
    const char* text;
    const char* what;
    const char* with;
    const char* expected;
};

class ReplaceAllTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, Replaces) {
    const ReplaceCase& c = GetParam();
    QString text = QString::fromUtf8(c.text);
    ReplaceAll(text, QString::fromUtf8(c.what), QString::fromUtf8(c.with));
    EXPECT_EQ(text, QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    testing::Values(ReplaceCase{"a_b_c", "_", " ", "a b c"},
                    // Runs of spaces collapse in one call: the scan steps back into the result.
                    ReplaceCase{"a    b", "  ", " ", "a b"},

                    ReplaceCase{"ab", "", "x", "xaxbx"}, ReplaceCase{"", "", "x", "x"},
                    ReplaceCase{"ab", "", "", "ab"}, ReplaceCase{"aaa", "a", "aa", "aaaaaa"},
                    ReplaceCase{"aaaa", "aa", "a", "a"}, ReplaceCase{"abab", "ab", "b", "bb"},
                    ReplaceCase{"xaby", "ab", "ba", "xbay"},
                    // Removing "abc" brings a new "abc" together, even in front of the match.
                    ReplaceCase{"aabcbc", "abc", "", ""}, ReplaceCase{"xxabcabc", "abc", "", "xx"},
                    ReplaceCase{"abcdeabcde", "abcde", "Z", "ZZ"},
                    ReplaceCase{"Aa", "a", "b", "Ab"}, ReplaceCase{"ab", "abc", "x", "ab"},
                    ReplaceCase{"é_é", "_", "ü", "éüé"}));

QString RandomText(QRandomGenerator& random, int maxLength) {
    static const QString alphabet = QStringLiteral("ab ");
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

TEST(ReplaceAllRuleTest, AgreesWithThePositionByPositionRuleOnRandomTexts) {
    QRandomGenerator random(20240611);
    for (int round = 0; round < 20000; ++round) {
        const QString text = RandomText(random, 14);
        const QString what = RandomText(random, 4);
        const QString with = RandomText(random, 4);
        QString actual = text;
        ReplaceAll(actual, what, with);
        ASSERT_EQ(actual, ReplaceByRule(text, what, with))
            << "text '" << text.toStdString() << "' what '" << what.toStdString() << "' with '"
            << with.toStdString() << "'";
    }
}

TEST(ReplaceAllRuleTest, LongTextsFinish) {
    QString text(200000, u'a');
    ReplaceAll(text, QString(), QStringLiteral("-"));
    EXPECT_EQ(text.size(), 400001);

    QString repeated = QStringLiteral("abc").repeated(100000);
    ReplaceAll(repeated, QStringLiteral("abc"), QString());
    EXPECT_TRUE(repeated.isEmpty());

    QString spaces = QStringLiteral("x") + QString(100000, u' ') + QStringLiteral("y");
    ReplaceAll(spaces, QStringLiteral("  "), QStringLiteral(" "));
    EXPECT_EQ(spaces, "x y");
}

TEST(ReplaceAllRuleTest, TextMayAlsoBeTheSearchedText) {
    QString text = QStringLiteral("abab");
    ReplaceAll(text, text, QStringLiteral("x"));
    EXPECT_EQ(text, "x");
}

} // namespace
} // namespace vantuke
