// Letter case folds for a to z only, wherever the program ignores it.
#include "platform/AsciiCase.h"

#include <QString>
#include <gtest/gtest.h>

using namespace vantuke;

namespace {

struct EndingCase {
    const char16_t* text;
    const char16_t* ending;
    bool endsWith;
};

TEST(AsciiCase, EndingsFoldOnlyTheAsciiLetters) {
    const EndingCase cases[] = {
        {u"Song.MP3", u".mp3", true},
        {u"song.mP3", u".Mp3", true},
        {u"LIST.m3u", u".M3U", true},
        {u".mp3", u".mp3", true},
        {u"mp3", u".mp3", false},
        {u"song.mp4", u".mp3", false},
        {u"", u"", true},
        // The long s folds to "s" and the Kelvin sign to "k" in Unicode; here they stay what
        // they are, as do letters beyond ASCII.
        {u"list.pl\u017F", u".pls", false},
        {u"pac\u212A", u"pack", false},
        {u"caf\u00E9", u"CAF\u00C9", false},
        // Characters next to the letters in the code table are not letters.
        {u"a@", u"a`", false},
        {u"a[", u"a{", false},
    };
    for (const EndingCase& c : cases) {
        EXPECT_EQ(EndsWithIgnoringAsciiCase(c.text, c.ending), c.endsWith)
            << QString::fromUtf16(c.text).toStdString() << " / "
            << QString::fromUtf16(c.ending).toStdString();
    }
}

TEST(AsciiCase, WholeTextsAgainstLatin1Names) {
    EXPECT_TRUE(EqualIgnoringAsciiCase(u"JAZZ+FUNK", QLatin1String("Jazz+Funk")));
    EXPECT_FALSE(EqualIgnoringAsciiCase(u"Jazz+Fun", QLatin1String("Jazz+Funk")));
    EXPECT_FALSE(EqualIgnoringAsciiCase(u"Roc\u212A", QLatin1String("Rock")));
}

TEST(AsciiCase, TagMarkerBytesFoldLikeTexts) {
    EXPECT_EQ(UpperAscii('t'), 'T');
    EXPECT_EQ(UpperAscii('T'), 'T');
    EXPECT_EQ(UpperAscii('{'), '{');
    EXPECT_EQ(UpperAscii(char(0xE9)), char(0xE9));
}

} // namespace
