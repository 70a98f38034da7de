// The guess of a collection's code page: ICU's detector over the texts of many tags, its
// names mapped to the pages ID3v1 writers used.
#include "tag/CodePageGuess.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

using namespace vantuke;

// Artist, title and album of real songs, as a collection in each language holds them.
const char* const kRussian[] = {
    "Кино|Группа крови|Группа крови",
    "Кино|Звезда по имени Солнце|Звезда по имени Солнце",
    "Кино|Кукушка|Чёрный альбом",
    "Кино|Перемен|Последний герой",
    "ДДТ|Что такое осень|Актриса весна",
    "ДДТ|Дождь|Чёрный пёс Петербург",
    "Аквариум|Город золотой|Радио Африка",
    "Аквариум|Под небом голубым|Радио Африка",
    "Наутилус Помпилиус|Я хочу быть с тобой|Князь тишины",
    "Наутилус Помпилиус|Скованные одной цепью|Разлука",
    "Алиса|Трасса Е-95|Шабаш",
    "Сплин|Выхода нет|Гранатовый альбом",
    "Сплин|Романс|Гранатовый альбом",
    "Ария|Беспечный ангел|Генератор зла",
    "Машина времени|Поворот|Поворот",
    "Земфира|Искала|Прости меня моя любовь",
    "Земфира|Хочешь?|Прости меня моя любовь",
    "Мумий Тролль|Владивосток 2000|Морская",
    "Чайф|Не спеши|Дети гор",
    "Агата Кристи|Как на войне|Позорная звезда",
    "Сектор Газа|Лирика|Колхозный панк",
    "Високосный год|Тихий огонёк|Лучшие песни",
    "Ласковый май|Белые розы|Белые розы",
    "Кипелов|Я свободен|Смутное время",
};
const char* const kPolish[] = {
    "Lady Pank|Mniej niż zero|Lady Pank",
    "Perfect|Autobiografia|Unu",
    "Budka Suflera|Jolka, Jolka pamiętasz|Za ostatni grosz",
    "Republika|Biała flaga|Nowe sytuacje",
    "Maanam|Kocham cię, kochanie moje|Nocny patrol",
    "Kult|Arahja|Kaseta",
    "Dżem|Wehikuł czasu|Detox",
    "Dżem|Czerwony jak cegła|Ciśnienie",
    "Czesław Niemen|Dziwny jest ten świat|Dziwny jest ten świat",
    "Edyta Górniak|To nie ja|Dotyk",
    "Kayah|Testosteron|JakaJaKayah",
    "Myslovitz|Długość dźwięku samotności|Miłość w czasach popkultury",
    "T.Love|Chłopaki nie płaczą|Chłopaki nie płaczą",
    "Hey|Teksański|Fire",
    "Maryla Rodowicz|Małgośka|Wyznanie",
    "Anna Jantar|Tyle słońca w całym mieście|Tyle słońca",
    "Zbigniew Wodecki|Zacznij od Bacha|Zbigniew Wodecki",
    "Kombii|Słodkiego miłego życia|Kombi 4",
    "Wilki|Baśka|Wilki",
    "Elektryczne Gitary|Człowiek z liściem|Wielka radość",
    "Krzysztof Krawczyk|Parostatek|Parostatek",
    "Ryszard Rynkowski|Jedzie pociąg z daleka|Szczęśliwej drogi",
    "Grzegorz Turnau|Między ciszą a ciszą|Naprawdę nie dzieje się nic",
    "Stanisław Soyka|Tolerancja|Acoustic",
};
const char* const kGreek[] = {
    "Μίκης Θεοδωράκης|Ζορμπάς|Ζορμπάς ο Έλληνας",
    "Μάνος Χατζιδάκις|Τα παιδιά του Πειραιά|Ποτέ την Κυριακή",
    "Χάρις Αλεξίου|Μια πίστα από φώσφορο|Η Χάρις στο Μέγαρο",
    "Γιώργος Νταλάρας|Τα λόγια και τα χρόνια|Τα τραγούδια μου",
    "Σωκράτης Μάλαμας|Πριγκηπέσσα|Ένας βυθός",
    "Νίκος Παπάζογλου|Αύγουστος|Χαράτσι",
    "Διονύσης Σαββόπουλος|Σαν τον Καραγκιόζη|Το περιβόλι του τρελού",
    "Ελευθερία Αρβανιτάκη|Τα κορίτσια του μύλου|Τα κορίτσια",
    "Άννα Βίσση|Δύναμη|Κραυγή",
    "Σάκης Ρουβάς|Ποιος είμαι εγώ|Είσαι μια φλόγα",
    "Δήμητρα Γαλάνη|Σε ποιο φεγγάρι|Ερωτικά",
    "Γιάννης Πάριος|Τα νησιά|Τα νησιά μου",
    "Βασίλης Παπακωνσταντίνου|Χαμένο κορμί|Φοβάμαι",
    "Θανάσης Παπακωνσταντίνου|Βραχνός προφήτης|Βραχνός προφήτης",
    "Ξυλινά Σπαθιά|Πύλες του ύπνου|Πίσω από τις πόλεις",
    "Τρύπες|Δε χωράμε πουθενά|Τρύπες",
    "Πυξ Λαξ|Μπαλάντα των τυπικών|Ο ήλιος ο πράσινος",
    "Ευανθία Ρεμπούτσικα|Ψυχή μου|Αϊτός",
    "Στέλιος Καζαντζίδης|Υπάρχω|Υπάρχω",
    "Μαρινέλλα|Άνοιξη μου|Μαρινέλλα",
    "Γλυκερία|Χάρτινη καρδιά|Μυστικά",
    "Αλκίνοος Ιωαννίδης|Πρώτη φορά|Ο δρόμος",
};
const char* const kTurkish[] = {
    "Barış Manço|Gülpembe|Sözüm meclisten dışarı",
    "Sezen Aksu|Gidiyorum|Deli kızın türküsü",
    "Tarkan|Şımarık|Ölürüm sana",
    "Cem Karaca|Resimdeki gözyaşları|Yoksulluk kader olamaz",
    "Zeki Müren|Gözlerin doğuyor gecelerime|Altın plak",
    "Müslüm Gürses|Nilüfer|Ayrılık ateşi",
    "MFÖ|Ele güne karşı|Geldiler",
    "Sertab Erener|Aşk|Lal",
    "Teoman|İstanbul'da sonbahar|O",
    "Duman|Bu akşam|Belki alışman lazım",
    "Mor ve Ötesi|Bir derdim var|Dünya yalan söylüyor",
    "Şebnem Ferah|Sigara|Kelimeler yetse",
    "Ajda Pekkan|Bambaşka biri|Süperstar",
    "Orhan Gencebay|Batsın bu dünya|Batsın bu dünya",
    "İbrahim Tatlıses|Mavi mavi|Mavi mavi",
    "Kayahan|Gönül sabret|Yemin ettim",
    "Mustafa Sandal|Aya benzer|Detay",
    "Gökhan Özoğuz|Gel gör beni|Unutma",
    "Nilüfer|Göreceksin kendini|Nilüfer",
    "Erkin Koray|Öyle bir geçer zaman ki|Tutkusu",
    "Fikret Kızılok|Gönül|Yadigar",
    "Selda Bağcan|Yuh yuh|Selda",
    "Neşet Ertaş|Gönül dağı|Gönül dağı",
    "Kıraç|Yalancı|Kıraç",
};
const char* const kChinese[] = {
    "邓丽君|月亮代表我的心|岛国之情歌",
    "王菲|红豆|唱游",
    "周杰伦|青花瓷|我很忙",
    "周杰伦|稻香|魔杰座",
    "张学友|吻别|吻别",
    "刘德华|忘情水|忘情水",
    "陈奕迅|十年|黑白灰",
    "孙燕姿|遇见|我要的幸福",
    "蔡依林|日不落|特务",
    "林俊杰|江南|第二天堂",
    "五月天|倔强|神的孩子都在跳舞",
    "那英|征服|征服",
    "李宗盛|山丘|山丘",
    "崔健|一无所有|新长征路上的摇滚",
    "黑豹|无地自容|黑豹",
    "汪峰|春天里|信仰在空中飘扬",
    "朴树|平凡之路|猎户星座",
    "许巍|曾经的你|每一刻都是崭新的",
    "罗大佑|童年|之乎者也",
    "齐秦|大约在冬季|冬雨",
    "张雨生|我的未来不是梦|我的未来不是梦",
    "毛阿敏|渴望|渴望",
    "韩红|天路|歌唱祖国",
    "莫文蔚|阴天|我要你的爱",
};
const char* const kJapanese[] = {
    "美空ひばり|川の流れのように|川の流れのように",
    "坂本九|上を向いて歩こう|上を向いて歩こう",
    "中島みゆき|時代|私の声が聞こえますか",
    "中島みゆき|糸|イースト・アジア",
    "松任谷由実|やさしさに包まれたなら|ミスリム",
    "サザンオールスターズ|いとしのエリー|からっと",
    "宇多田ヒカル|ファースト・ラブ|ファースト・ラブ",
    "浜崎あゆみ|ボヤージュ|レインボー",
    "スピッツ|ロビンソン|ハチミツ",
    "スピッツ|チェリー|インディゴ地平線",
    "ミスターチルドレン|名もなき詩|深海",
    "ミスターチルドレン|イノセントワールド|アトミック・ハート",
    "安室奈美恵|甘い誘惑|スウィート・ブルース",
    "ドリームズ・カム・トゥルー|未来予想図|ワンダーランド",
    "スマップ|世界に一つだけの花|スマップ",
    "槇原敬之|どんなときも。|君は誰と幸せなあくびをしますか",
    "久保田利伸|ミッシング|パラダイス",
    "福山雅治|桜坂|ザ・ベスト・バン",
    "嵐|花風|ドリーム",
    "ゆず|夏色|ゆずのね",
    "いきものがかり|ありがとう|ハジマリノウタ",
    "米津玄師|レモン|ストレイシープ",
    "一青窈|ハナミズキ|月天心",
    "森山直太朗|さくら|乾いた唄は魚の餌",
    "秦基博|ひまわりの約束|エバーグリーン",
};

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
        {"Russian", GuessOf(kRussian, "windows-1251"), "windows-1251", "Наутилус Помпилиус"},
        {"Russian", GuessOf(kRussian, "KOI8-R"), "KOI8-R", "Наутилус Помпилиус"},
        // The detector says ISO-8859-2, -7 and -9 for these; their writers used Windows.
        {"Polish", GuessOf(kPolish, "windows-1250"), "windows-1250", "Długość dźwięku"},
        {"Greek", GuessOf(kGreek, "windows-1253"), "windows-1253", "Παπακωνσταντίνου"},
        {"Turkish", GuessOf(kTurkish, "windows-1254"), "windows-1254", "Neşet Ertaş"},
        // The detector says GB18030, of which GBK is the part ID3v1 writers used.
        {"Chinese", GuessOf(kChinese, "GBK"), "GBK", "月亮代表我的心"},
        // Samples are the tags with the most bytes from 0x80 on; half of Shift_JIS's second
        // bytes lie below.
        {"Japanese", GuessOf(kJapanese, "Shift_JIS"), "Shift_JIS", "槇原敬之"},
        {"Japanese", GuessOf(kJapanese, "EUC-JP"), "EUC-JP", "ミスターチルドレン"},
        {"Japanese", GuessOf(kJapanese, "UTF-8"), "UTF-8", "ミスターチルドレン"},
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
    const QList<CodePageCandidate> cyrillic = GuessOf(kRussian, "ISO-8859-5").Candidates();
    const QStringList names = Names(cyrillic);
    ASSERT_GE(names.size(), 2);
    EXPECT_TRUE(names[0] == "windows-1251" || names[0] == "KOI8-R") << names[0].toStdString();
    EXPECT_EQ(names[1], "ISO-8859-5");
    EXPECT_TRUE(cyrillic[1].samples.join("\n").contains(QString::fromUtf8("Наутилус Помпилиус")));
    // Turkish in Windows-1254 reads alike as ISO-8859-9: that is offered once.
    EXPECT_FALSE(Names(GuessOf(kTurkish, "windows-1254").Candidates()).contains("ISO-8859-9"));
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

TEST(CodePageGuessTest, SampleLinesJoinTheFieldsThatHoldText) {
    TTagRecord tag;
    const TagCodec codec{FindCodePage(u"windows-1251"), false};
    SetFieldText(tag, TagField::SongName, QStringLiteral("Кукушка  "), codec);
    SetFieldText(tag, TagField::Album, QStringLiteral("Чёрный альбом"), codec);
    SetFieldBytes(tag, TagField::Comment, QByteArray("\0junk", 5), codec);
    EXPECT_EQ(TagSampleLine(tag, codec.Page()), QStringLiteral("Кукушка / Чёрный альбом"));
    // Read in another page, a byte that is no character there shows as U+FFFD.
    SetFieldBytes(tag, TagField::Artist, "\xC3", codec);
    EXPECT_EQ(TagSampleLine(tag, *FindCodePage(u"UTF-8")).section(" / ", 1, 1),
              QStringLiteral("\uFFFD"));
}

} // namespace
