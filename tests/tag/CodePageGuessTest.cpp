// The guess of a collection's code page: ICU's detector over the texts of many tags, its
// names mapped to the pages ID3v1 writers used.
#include "tag/CodePageGuess.h"

#include "support/SongTexts.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

using namespace vantuke;
using namespace testsupport;

template <std::size_t N>
CodePageGuess GuessOf(const char* const (&lines)[N], const char* pageName) {
    const TagCodec codec{FindCodePage(QString::fromLatin1(pageName)), false};
    CodePageGuess guess;
    for (const char* line : lines) {
        const QStringList fields = QString::fromUtf8(line).split(u'|');
        TTagRecord tag;
        SetFieldText(tag, TagField::Artist, fields[0], codec);
        SetFieldText(tag, TagField::SongName, fields[1], codec);
        SetFieldText(tag, TagField::Album, fields[2], codec);
        SetFieldText(tag, TagField::Year, QStringLiteral("1990"), codec);
        guess.Add(tag);
    }
    return guess;
}

QStringList Names(const QList<CodePageCandidate>& candidates) {
    QStringList names;
    for (const CodePageCandidate& candidate : candidates)
        names << candidate.page->Name();
    return names;
}

TEST(CodePageGuessTest, EachLanguageGuessesTheCodePageItWasWrittenIn) {
    const struct {
        const char* language;
        CodePageGuess guess;
        const char* page;
        const char* sample; // in a sample line of the first candidate
    } cases[] = {
        {"Russian", GuessOf(kRussianSongs, "windows-1251"), "windows-1251", "Наутилус Помпилиус"},
        {"Russian", GuessOf(kRussianSongs, "KOI8-R"), "KOI8-R", "Наутилус Помпилиус"},
        // The detector says ISO-8859-2, -7 and -9 for these; their writers used Windows.
        {"Polish", GuessOf(kPolishSongs, "windows-1250"), "windows-1250", "Długość dźwięku"},
        {"Greek", GuessOf(kGreekSongs, "windows-1253"), "windows-1253", "Παπακωνσταντίνου"},
        {"Turkish", GuessOf(kTurkishSongs, "windows-1254"), "windows-1254", "Barış Manço"},
        // The detector says GB18030, of which GBK is the part ID3v1 writers used.
        {"Chinese", GuessOf(kChineseSongs, "GBK"), "GBK", "月亮代表我的心"},
        // Samples are the tags with the most bytes from 0x80 on; half of Shift_JIS's second
        // bytes lie below.
        {"Japanese", GuessOf(kJapaneseSongs, "Shift_JIS"), "Shift_JIS", "槇原敬之"},
        {"Japanese", GuessOf(kJapaneseSongs, "EUC-JP"), "EUC-JP", "ミスターチルドレン"},
        {"Japanese", GuessOf(kJapaneseSongs, "UTF-8"), "UTF-8", "ミスターチルドレン"},
    };
    for (const auto& c : cases) {
        EXPECT_GE(c.guess.TagCount(), 20) << c.language;
        const QList<CodePageCandidate> candidates = c.guess.Candidates();
        ASSERT_FALSE(candidates.isEmpty()) << c.language << " in " << c.page;
        EXPECT_EQ(candidates.first().page->Name(), QLatin1String(c.page))
            << c.language << ": " << Names(candidates).join(", ").toStdString();
        EXPECT_GT(candidates.first().confidence, 0) << c.language;
        ASSERT_EQ(candidates.first().samples.size(), 2) << c.language;
        EXPECT_TRUE(candidates.first().samples.join("\n").contains(QString::fromUtf8(c.sample)))
            << c.language << ": " << candidates.first().samples.join(" | ").toStdString();
        // Every page is offered once.
        const QStringList names = Names(candidates);
        EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size()) << c.language;
    }
}

TEST(CodePageGuessTest, AnIsoPageThatReadsOtherwiseStaysOnOffer) {
    // Tags really in ISO-8859-5 are offered first as a page ID3v1 writers used, Windows-1251
    // or KOI8-R (whichever the detector rates higher); ISO-8859-5 follows, as it reads them
    // otherwise.
    const QList<CodePageCandidate> cyrillic = GuessOf(kRussianSongs, "ISO-8859-5").Candidates();
    const QStringList names = Names(cyrillic);
    ASSERT_GE(names.size(), 2);
    EXPECT_TRUE(names[0] == "windows-1251" || names[0] == "KOI8-R") << names[0].toStdString();
    EXPECT_EQ(names[1], "ISO-8859-5");
    EXPECT_TRUE(cyrillic[1].samples.join("\n").contains(QString::fromUtf8("Наутилус Помпилиус")));
    // Turkish in Windows-1254 reads alike as ISO-8859-9: that is offered once.
    EXPECT_FALSE(Names(GuessOf(kTurkishSongs, "windows-1254").Candidates()).contains("ISO-8859-9"));
}

TEST(CodePageGuessTest, AsciiTagsLeaveNothingToGuess) {
    CodePageGuess guess;
    EXPECT_TRUE(guess.Candidates().isEmpty());
    TTagRecord tag;
    SetFieldText(tag, TagField::SongName, QStringLiteral("Plain Title"), TagCodec{});
    guess.Add(tag);
    guess.Add(tag);
    EXPECT_EQ(guess.TagCount(), 2);
    EXPECT_FALSE(guess.HasTextBeyondAscii());
    EXPECT_TRUE(guess.Candidates().isEmpty());
}

} // namespace
