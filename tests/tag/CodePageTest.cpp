// The code pages of tag texts: every byte kept through decoding and encoding, characters never
// cut in half, "?" and transliteration for characters a page lacks.
#include "tag/CodePage.h"
#include "tag/TagBytes.h"
#include "tag/TagRecord.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

using namespace vantuke;

const CodePage& Page(const char* name) {
    const CodePage* page = FindCodePage(QString::fromLatin1(name));
    EXPECT_NE(page, nullptr) << name;
    return page ? *page : DefaultCodePage();
}

TagCodec Codec(const char* name, bool transliterate = false) {
    return TagCodec{&Page(name), transliterate};
}

TEST(CodePageTest, TheOfferedPagesByNameAndHumanName) {
    const QList<const CodePage*>& pages = CodePages();
    ASSERT_EQ(pages.size(), 24);
    EXPECT_EQ(pages.first()->Name(), "windows-1250");
    EXPECT_EQ(pages.last()->Name(), "UTF-8");
    EXPECT_EQ(&DefaultCodePage(), &Page("windows-1252"));
    EXPECT_EQ(Page("windows-1252").HumanName(), "Western (Windows-1252)");
    EXPECT_EQ(Page("windows-1251").HumanName(), "Cyrillic (Windows-1251)");
    EXPECT_EQ(Page("windows-1250").HumanName(), "Central European (Windows-1250)");
    EXPECT_EQ(Page("GBK").ShownName(), "GBK");
    // Names in any letter case; nothing else.
    EXPECT_EQ(FindCodePage(u"shift_jis"), &Page("Shift_JIS"));
    EXPECT_EQ(FindCodePage(u"Windows-1251"), &Page("windows-1251"));
    for (const char16_t* unknown : {u"cp1251", u"latin1", u"", u"windows-125"})
        EXPECT_EQ(FindCodePage(unknown), nullptr);
    EXPECT_TRUE(CodePageNames().startsWith("windows-1250, windows-1251, "));
    for (const char* multiByte : {"GBK", "Big5", "Shift_JIS", "EUC-JP", "EUC-KR", "UTF-8"})
        EXPECT_TRUE(Page(multiByte).IsMultiByte()) << multiByte;
    EXPECT_FALSE(Page("KOI8-R").IsMultiByte());
}

// Bytes to text to bytes: a field left as it is, or shown and typed back unchanged, writes
// back exactly its bytes in every page, bytes that are no character of it included.
TEST(CodePageTest, EveryPageGivesBackEveryByteItDecoded) {
    QRandomGenerator random(21);
    for (const CodePage* page : CodePages()) {
        const auto roundTrip = [&](const QByteArray& bytes) {
            const QString text = page->Text(bytes);
            const CodePage::Encoded back = page->Encode(text, false);
            EXPECT_EQ(back.bytes.toHex(' '), bytes.toHex(' ')) << page->Name().toStdString();
            EXPECT_FALSE(back.replaced) << page->Name().toStdString();
        };
        for (int byte = 0; byte < 256; ++byte)
            roundTrip(QByteArray(1, char(byte)));
        // Every lead byte with every byte after it, and halves of characters at either end.
        for (int lead = 0x80; lead < 256; lead += 3) {
            QByteArray row;
            for (int next = 0; next < 256; ++next)
                row += char(lead) + QByteArray(1, char(next));
            roundTrip(row);
        }
        for (int n = 0; n < 300; ++n) {
            QByteArray bytes(1 + random.bounded(40), Qt::Uninitialized);
            for (char& byte : bytes)
                byte = char(random.bounded(256));
            roundTrip(bytes);
        }
    }
    // The bytes Windows-1252 leaves undefined read as today: the C1 controls, one each.
    EXPECT_EQ(DefaultCodePage().Text("\x81\x8D\x8F\x90\x9D"),
              QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    EXPECT_TRUE(DefaultCodePage().CoversEveryByte());
}

// Typed text to bytes to text, in a script each page serves.
TEST(CodePageTest, TypedTextComesBackFromItsBytes) {
    const struct {
        const char* page;
        const char* text;
        const char* bytes; // hex, or empty when not checked
    } cases[] = {
        {"windows-1250", "Zażółć gęślą jaźń", ""},
        {"windows-1251", "Привет, ёж", "cf f0 e8 e2 e5 f2 2c 20 b8 e6"},
        {"windows-1252", "Café Noël €5", ""},
        {"windows-1253", "Ελλάδα", "c5 eb eb dc e4 e1"},
        {"windows-1254", "Şımarık Ğ İ", ""},
        {"windows-1255", "שלום", ""},
        {"windows-1256", "مرحبا", ""},
        {"windows-1257", "Ąžuolas ėjo", ""},
        {"windows-1258", "Ông bà ơi, Đông Đô", ""},
        {"ISO-8859-1", "Über Straße", ""},
        {"ISO-8859-2", "Żółw łąka", ""},
        {"ISO-8859-5", "Привет", "bf e0 d8 d2 d5 e2"},
        {"ISO-8859-7", "Καλημέρα", ""},
        {"ISO-8859-9", "Gülpembe ışık", ""},
        {"ISO-8859-15", "Œuvre €", ""},
        {"KOI8-R", "Привет", "f0 d2 c9 d7 c5 d4"},
        {"KOI8-U", "Їжак ґанок", ""},
        {"IBM866", "Привет", "8f e0 a8 a2 a5 e2"},
        {"GBK", "月亮代表我的心", "d4 c2 c1 c1 b4 fa b1 ed ce d2 b5 c4 d0 c4"},
        {"Big5", "月亮代表我的心", ""},
        {"Shift_JIS", "川の流れのように ｶﾀｶﾅ", ""},
        {"EUC-JP", "上を向いて歩こう", ""},
        {"EUC-KR", "아리랑", ""},
        {"UTF-8", "Ünïcödé 日本 \U0001F3B5", ""},
    };
    for (const auto& c : cases) {
        const CodePage& page = Page(c.page);
        const QString text = QString::fromUtf8(c.text);
        const CodePage::Encoded encoded = page.Encode(text, false);
        EXPECT_FALSE(encoded.replaced) << c.page;
        if (*c.bytes) {
            EXPECT_EQ(encoded.bytes.toHex(' '), QByteArray(c.bytes)) << c.page;
        }
        EXPECT_EQ(page.Text(encoded.bytes), text) << c.page;
        EXPECT_TRUE(page.IsValid(encoded.bytes)) << c.page;
    }
}

TEST(CodePageTest, BytesNotValidInAPageAreKeptAndTold) {
    // UTF-8 bytes under GBK: most pairs of them are characters of GBK too, but "日" (E6 97
    // A5) at the end leaves a lead byte with nothing after it.
    const CodePage& gbk = Page("GBK");
    const QByteArray utf8 = QString::fromUtf8("Café 日").toUtf8();
    EXPECT_FALSE(gbk.IsValid(utf8));
    EXPECT_EQ(gbk.Text("Caf\xC3"), QStringLiteral("Caf") + QChar(0xDCC3));
    EXPECT_EQ(gbk.Encode(gbk.Text(utf8), false).bytes, utf8);
    // A character cut in half at the end is no character either.
    EXPECT_FALSE(gbk.IsValid("\xD4\xC2\xC1"));
    EXPECT_TRUE(gbk.IsValid("\xD4\xC2\xC1\xC1"));
    EXPECT_FALSE(Page("UTF-8").IsValid("\xE6\x97"));
    EXPECT_FALSE(Page("windows-1253").IsValid("\xD2"));
    EXPECT_FALSE(Page("windows-1253").CoversEveryByte());
    // Shown to a person, such a byte is U+FFFD; a character beyond U+FFFF stays whole.
    EXPECT_EQ(ShownFieldText("Caf\xC3\x00zz", Codec("GBK")), QStringLiteral("Caf\uFFFD"));
    EXPECT_EQ(ShownFieldText("\xF0\x9F\x8E\xB5", Codec("UTF-8")), QString::fromUtf8("\U0001F3B5"));
    EXPECT_FALSE(FieldTextValid("Caf\xC3", Codec("GBK")));
    EXPECT_TRUE(FieldTextValid(QByteArray("Caf\0\xC3", 5), Codec("GBK")));
}

// Multi-byte pages cut a text at a character boundary, never inside a character; what the
// field does not take is NUL when the tag is written.
TEST(CodePageTest, FieldsAreCutAtACharacterBoundary) {
    const struct {
        const char* page;
        const char* text;
        int capacity;
        int keptBytes;
        int kept;
        int lost;
    } cases[] = {
        // 17 characters of two bytes: 15 fit into 30.
        {"GBK", "中文歌曲名称测试长标题一二三四五六", 30, 30, 15, 2},
        // One byte first: the sixteenth character would take bytes 30 and 31.
        {"GBK", "a中文歌曲名称测试长标题一二三四五六", 30, 29, 15, 3},
        {"GBK", "中文歌曲", 4, 4, 2, 2},
        {"GBK", "a中文", 4, 3, 2, 1},
        // Half-width katakana are one byte each, kanji two.
        {"Shift_JIS", "ｱ川の流れのように流れのように流れ", 30, 29, 15, 2},
        {"Shift_JIS", "ｱｲ川の", 4, 4, 3, 1},
        {"Shift_JIS", "ｱ川の", 4, 3, 2, 1},
        // Three bytes each, and one character of four.
        {"UTF-8", "日本語の歌の題名がとても長い", 30, 30, 10, 4},
        {"UTF-8", "a日本語の歌の題名がとても長い", 30, 28, 10, 5},
        {"UTF-8", "日本", 4, 3, 1, 1},
        {"UTF-8", "\U0001F3B5x", 4, 4, 1, 1},
        {"UTF-8", "a\U0001F3B5", 4, 1, 1, 1},
        // Single-byte pages keep bytes as characters.
        {"windows-1251", "Наутилус Помпилиус: Скованные одной цепью", 30, 30, 30, 11},
    };
    for (const auto& c : cases) {
        const CodePage& page = Page(c.page);
        QByteArray bytes = page.Encode(QString::fromUtf8(c.text), false).bytes;
        const QByteArray whole = bytes;
        const FieldCut cut = CutToCapacity(bytes, c.capacity, page);
        EXPECT_EQ(bytes.size(), c.keptBytes) << c.page << " " << c.text;
        EXPECT_EQ(bytes, whole.left(c.keptBytes)) << c.text;
        EXPECT_TRUE(page.IsValid(bytes)) << c.text;
        EXPECT_EQ(cut.kept, c.kept) << c.text;
        EXPECT_EQ(cut.lost, c.lost) << c.text;
    }
    // A text that fits is not cut.
    QByteArray fits = Page("GBK").Encode(u"中文", false).bytes;
    EXPECT_EQ(CutToCapacity(fits, 4, Page("GBK")).lost, 0);
    EXPECT_EQ(fits.size(), 4);

    // Through a record: the field's rest is NUL in the tag, and the losses say what was lost.
    TTagRecord record;
    FieldLosses losses;
    SetFieldText(record, TagField::Year, QString::fromUtf8("a中文"), Codec("GBK"), &losses);
    SetFieldText(record, TagField::SongName,
                 QString::fromUtf8("a中文歌曲名称测试长标题一二三四五六"), Codec("GBK"), &losses);
    EXPECT_EQ(record.Year, QByteArray("a\xD6\xD0"));
    EXPECT_EQ(losses.kept[int(TagField::Year)], 2);
    EXPECT_EQ(losses.cut[int(TagField::Year)], 1);
    EXPECT_EQ(losses.cut[int(TagField::SongName)], 3);
    const QByteArray tag = BuildTag(record);
    EXPECT_EQ(tag.mid(3 + 29, 1), QByteArray(1, '\0'));
    EXPECT_EQ(tag.mid(3 + 90, 4), QByteArray("a\xD6\xD0\0", 4));

    // Bytes read from a file are cut by the same rule; a byte that starts no character is one.
    TTagRecord raw;
    SetFieldBytes(raw, TagField::Year, "\xD6\xD0\xC3\xC4\xB5", Codec("GBK"));
    EXPECT_EQ(raw.Year, QByteArray("\xD6\xD0\xC3\xC4"));
    SetFieldBytes(raw, TagField::Year, "ab\xD6\xD0", Codec("windows-1252"));
    EXPECT_EQ(raw.Year, QByteArray("ab\xD6\xD0"));
    SetFieldBytes(raw, TagField::Year, "a\x81\x7F\xD6\xD0", Codec("GBK"));
    EXPECT_EQ(raw.Year, QByteArray("a\x81\x7F"));
}

TEST(CodePageTest, CharactersAPageLacksBecomeQuestionMarksOrTransliterations) {
    const struct {
        const char* page;
        bool transliterate;
        const char* text;
        const char* bytes;
        bool replaced;
        bool transliterated;
    } cases[] = {
        {"windows-1252", false, "Привет", "??????", true, false},
        {"windows-1252", true, "Привет", "Privet", false, true},
        {"windows-1252", true, "Ελλάδα", "Ellada", false, true},
        // Only the characters the page lacks: "ó" stays a byte of Windows-1252.
        {"windows-1252", true, "Łódź",
         "L\xF3"
         "dz",
         false, true},
        {"windows-1252", false, "Łódź",
         "?\xF3"
         "d?",
         true, false},
        {"windows-1251", true, "Мой Café", "\xCC\xEE\xE9 Cafe", false, true},
        // One "?" for a character outside the basic plane, written as two UTF-16 units.
        {"windows-1252", false, "a\U0001F3B5b", "a?b", true, false},
        // What transliteration cannot write in Latin letters stays "?".
        {"windows-1252", true, "a\U0001F3B5b", "a?b", true, false},
        // Multi-byte pages write "?", not their own substitute (Shift_JIS: FC FC).
        {"Shift_JIS", false, "é", "?", true, false},
        {"Shift_JIS", true, "é川", "e\x90\xEC", false, true},
        {"GBK", false, "กข", "??", true, false},
        {"windows-1252", false, "\x1A", "\x1A", false, false},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const CodePage::Encoded encoded = Page(c.page).Encode(text, c.transliterate);
        EXPECT_EQ(encoded.bytes, QByteArray(c.bytes)) << c.page << " " << c.text;
        EXPECT_EQ(encoded.replaced, c.replaced) << c.page << " " << c.text;
        EXPECT_EQ(encoded.transliterated, c.transliterated) << c.page << " " << c.text;
    }
    // A lone surrogate that escapes no byte is no character in any page.
    for (const char* page : {"UTF-8", "GBK", "windows-1252"}) {
        const CodePage::Encoded lone =
            Page(page).Encode(QStringLiteral("x") + QChar(0xD83D) + QStringLiteral("y"), true);
        EXPECT_EQ(lone.bytes, "x?y") << page;
        EXPECT_TRUE(lone.replaced) << page;
    }

    // The losses of a field tell the run's notes.
    TTagRecord record;
    FieldLosses losses;
    SetFieldText(record, TagField::Artist, QStringLiteral("Привет"), Codec("windows-1252", true),
                 &losses);
    EXPECT_TRUE(losses.transliterated[int(TagField::Artist)]);
    EXPECT_FALSE(losses.unmapped[int(TagField::Artist)]);
    SetFieldText(record, TagField::Album, QStringLiteral("Привет"), Codec("windows-1252"), &losses);
    EXPECT_TRUE(losses.unmapped[int(TagField::Album)]);
    EXPECT_EQ(record.Artist, "Privet");
    EXPECT_EQ(record.Album, "??????");
}

} // namespace
