// vantuke-cli with tags in other code pages: --code-page and --transliterate on the processes,
// the list of names, and the guess of a collection's code page.
#include "CliRunner.h"
#include "support/SongTexts.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace testsupport;
using clitest::CliResult;
using clitest::RunCli;

namespace {

QByteArray In(const char* page, const QByteArray& text) {
    QStringEncoder encoder(page);
    return encoder.encode(QString::fromUtf8(text));
}

// A field's bytes in a tag: offset 3 + 30 per field before it.
QByteArray FieldOf(const QByteArray& tag, int index, int width = 30) {
    return tag.mid(3 + 30 * index, width);
}

QByteArray Padded(const QByteArray& bytes, int width = 30) {
    return bytes + QByteArray(width - bytes.size(), '\0');
}

} // namespace

TEST(CliCodePage, CodePagesListsTheNamesAndAnUnknownNameIsAUsageError) {
    TempDir dir;
    const CliResult pages = RunCli({"code-pages"}, dir.Path());
    EXPECT_EQ(pages.exitCode, 0);
    ASSERT_EQ(pages.out.size(), 24);
    EXPECT_EQ(pages.out.first(), "windows-1250  Central European (Windows-1250)");
    EXPECT_EQ(pages.out.last(), "UTF-8         Unicode (UTF-8)");
    const CliResult unknown = RunCli({"list", "--code-page", "cp1251", "a.mp3"}, dir.Path());
    EXPECT_EQ(unknown.exitCode, 64);
    EXPECT_TRUE(unknown.err.startsWith("vantuke-cli: unknown code page \"cp1251\"; the code pages "
                                       "are: windows-1250, windows-1251, "))
        << unknown.err.toStdString();
    EXPECT_TRUE(unknown.err.contains("EUC-KR, UTF-8\n"));
}

TEST(CliCodePage, ListReadsTagsInTheChosenPageAndPrintsUtf8) {
    TempDir dir;
    WriteMp3(dir.Path("ru.mp3"), 300,
             MakeTag(In("windows-1251", "Группа крови"), In("windows-1251", "Кино")));
    WriteMp3(dir.Path("zh.mp3"), 300, MakeTag(In("GBK", "月亮代表我的心"), In("GBK", "邓丽君")));
    const QStringList list{"list", "--template", "%2 - %1"};
    EXPECT_EQ(RunCli(list + QStringList{"--code-page", "windows-1251", "ru.mp3"}, dir.Path())
                  .out.value(1),
              QString::fromUtf8("Кино - Группа крови"));
    // Without the option: Windows-1252, as ever.
    EXPECT_EQ(RunCli(list + QStringList{"ru.mp3"}, dir.Path()).out.value(1),
              QString::fromUtf8("Êèíî - Ãðóïïà êðîâè"));

    const CliResult csv = RunCli({"list", "--csv", "--code-page", "GBK", "zh.mp3"}, dir.Path());
    EXPECT_EQ(csv.out.value(1),
              dir.Path("zh.mp3") + QString::fromUtf8(",月亮代表我的心,邓丽君,,,,,0\r"));

    // JSON: the texts in the page; a byte that is no character of it is U+FFFD, and noted.
    WriteMp3(dir.Path("mixed.mp3"), 300, MakeTag(In("GBK", "心"), QByteArray("Caf\x81")));
    const CliResult json =
        RunCli({"list", "--json", "--code-page", "GBK", "zh.mp3", "mixed.mp3"}, dir.Path());
    EXPECT_EQ(json.exitCode, 0);
    const QJsonArray entries =
        QJsonDocument::fromJson(json.outBytes).object().value("entries").toArray();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toObject()["tag_before"].toObject()["artist"].toString(),
              QString::fromUtf8("邓丽君"));
    EXPECT_EQ(entries[0].toObject()["notes"].toArray().size(), 0);
    const QJsonObject mixed = entries[1].toObject();
    EXPECT_EQ(mixed["tag_before"].toObject()["song_name"].toString(), QString::fromUtf8("心"));
    EXPECT_EQ(mixed["tag_before"].toObject()["artist"].toString(), QStringLiteral("Caf\uFFFD"));
    EXPECT_EQ(mixed["notes"].toArray().first().toString(), "Artist: bytes not valid in GBK");
}

TEST(CliCodePage, CharactersThePageLacksBecomeQuestionMarksOrLatinLetters) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300);
    const QStringList args{
        "tag",  "--artist", QString::fromUtf8("Привет"), "--album", QString::fromUtf8("Ελλάδα"),
        "a.mp3"};
    const CliResult plain = RunCli(QStringList{"--dry-run"} + args, dir.Path());
    EXPECT_TRUE(plain.err.contains("Artist: characters outside Windows-1252 become \"?\""))
        << plain.err.toStdString();
    RunCli(args, dir.Path());
    EXPECT_EQ(FieldOf(TagOf(dir.Path("a.mp3")), 1), Padded("??????"));

    const CliResult latin = RunCli(QStringList{"--dry-run", "--transliterate"} + args, dir.Path());
    EXPECT_TRUE(latin.err.contains("Album: characters outside Windows-1252 transliterated"))
        << latin.err.toStdString();
    EXPECT_FALSE(latin.err.contains("become \"?\""));
    RunCli(QStringList{"--transliterate"} + args, dir.Path());
    EXPECT_EQ(FieldOf(TagOf(dir.Path("a.mp3")), 1), Padded("Privet"));
    EXPECT_EQ(FieldOf(TagOf(dir.Path("a.mp3")), 2), Padded("Ellada"));
}

TEST(CliCodePage, SettingsGiveThePageAndTheCommandLineWins) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300, MakeTag(In("KOI8-R", "Кино"), ""));
    WriteFile(dir.Path("v.ini"), "[ProgramOptions]\nCodePage=KOI8-R\n");
    const QStringList list{"list", "--settings", "v.ini", "--template", "%1", "a.mp3"};
    EXPECT_EQ(RunCli(list, dir.Path()).out.value(1), QString::fromUtf8("Кино"));
    EXPECT_EQ(RunCli(list + QStringList{"--code-page", "windows-1251"}, dir.Path()).out.value(1),
              QString::fromUtf8("лЙОП"));
}

TEST(CliCodePage, GuessOfAFolderAndAPlaylistNamesThePageAndShowsTags) {
    TempDir dir;
    QDir(dir.Path()).mkdir("ru");
    QByteArray playlist;
    int n = 0;
    for (const char* line : kRussianSongs) {
        const QList<QByteArray> song = QByteArray(line).split('|');
        const QString name = QStringLiteral("ru/%1.mp3").arg(++n, 2, 10, QLatin1Char('0'));
        WriteMp3(dir.Path(name), 300,
                 MakeTag(In("windows-1251", song[1]), In("windows-1251", song[0]),
                         In("windows-1251", song[2])));
        if (n <= 6)
            playlist += name.toUtf8() + "\n";
    }
    WriteFile(dir.Path("ru.m3u"), playlist);
    const CliResult guess = RunCli({"guess-code-page", "ru"}, dir.Path());
    EXPECT_EQ(guess.exitCode, 0);
    ASSERT_GE(guess.out.size(), 3);
    EXPECT_TRUE(guess.out[0].startsWith("windows-1251, confidence "));
    EXPECT_TRUE(guess.out[0].endsWith(": Cyrillic (Windows-1251)"));
    // The two tags with the most bytes beyond ASCII.
    EXPECT_EQ(guess.out[1],
              QString::fromUtf8("    Я хочу быть с тобой / Наутилус Помпилиус / Князь тишины"));
    EXPECT_EQ(guess.out[2],
              QString::fromUtf8("    Скованные одной цепью / Наутилус Помпилиус / Разлука"));
    // A playlist and the files it lists are one selection; the guess is the same.
    const CliResult fromPlaylist = RunCli({"guess-code-page", "ru.m3u", "ru"}, dir.Path());
    EXPECT_EQ(fromPlaylist.out.value(0).section(',', 0, 0), "windows-1251");

    // Nothing beyond ASCII, and no tag at all.
    WriteMp3(dir.Path("ascii.mp3"), 300, MakeTag("Plain", "Text"));
    const CliResult ascii = RunCli({"guess-code-page", "ascii.mp3"}, dir.Path());
    EXPECT_EQ(ascii.exitCode, 0);
    EXPECT_EQ(ascii.out, QStringList{"The tags hold ASCII text only: every code page reads them "
                                     "alike."});
    WriteMp3(dir.Path("none.mp3"), 300);
    const CliResult none = RunCli({"guess-code-page", "none.mp3"}, dir.Path());
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "vantuke-cli: no tag among the files\n");
}
