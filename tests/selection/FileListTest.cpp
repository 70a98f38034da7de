#include "selection/FileList.h"
#include "selection/FileDateText.h"
#include "support/TestFiles.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantuke;

// Tag texts in Windows-1252, the code page of a first start.
const TagCodec kCodec;
using testsupport::MakeTag;
using testsupport::TempDir;
using testsupport::WithTrack;
using testsupport::WriteFile;
using testsupport::WriteMp3;

namespace {

std::vector<FileListRow> List(const QString& dir, int filterIndex) {
    std::vector<FileListRow> rows;
    ReadFileList(dir, filterIndex, rows);
    return rows;
}

QStringList Names(const std::vector<FileListRow>& rows) {
    QStringList names;
    for (const FileListRow& row : rows)
        names << row.name;
    return names;
}

QStringList Cells(const FileListRow& row) {
    QStringList cells;
    for (int column = 0; column < kFileListColumnCount; ++column)
        cells << FileListCell(row, column, QLocale::c(), kCodec);
    return cells;
}

void SetModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// a.mp3 tagged, B.MP3 untagged, c.wav, a playlist, a hidden file, a name without a dot,
// and a subfolder that must never show.
class FileListFolder : public ::testing::Test {
protected:
    void SetUp() override {
        WriteMp3(dir.Path("a.mp3"), 1000,
                 MakeTag("Song", "Artist", "Album", "1999", "Comment", 255));
        WriteMp3(dir.Path("B.MP3"), 1000);
        WriteFile(dir.Path("c.wav"), "RIFF");
        WriteFile(dir.Path("list.m3u"), "a.mp3\n");
        WriteFile(dir.Path(".hidden.mp3"), testsupport::AudioBytes(300));
        WriteFile(dir.Path("demomp3"), testsupport::AudioBytes(300));
        ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.mp3"));
    }
    TempDir dir;
};

} // namespace

TEST_F(FileListFolder, Mp3FilterListsTaggedAndUntaggedFilesWithTheirCells) {
    const auto rows = List(dir.Dir(), 0);
    ASSERT_EQ(Names(rows), (QStringList{".hidden.mp3", "a.mp3", "B.MP3"}));

    const QStringList tagged = Cells(rows[1]);
    EXPECT_EQ(tagged[kColFilename], "a.mp3");
    EXPECT_EQ(tagged[kColFilesize], "1128");
    EXPECT_EQ(tagged.mid(kColTag), (QStringList{"Yes", "Song", "Artist", "Album", "1999",
                                                "unknown style", "Comment", "", ""}));

    const QStringList untagged = Cells(rows[2]);
    EXPECT_EQ(untagged[kColFilesize], "1000");
    EXPECT_EQ(untagged.mid(kColTag), (QStringList{"No", "", "", "", "", "", "", "", ""}));
}

// The track has its column after "Comment": the number, nothing without one.
TEST(FileList, TheTrackColumnFollowsTheComment) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 1000, WithTrack(MakeTag("One", "", "", "", "Hi", 1), 7));
    WriteMp3(dir.Path("b.mp3"), 1000, MakeTag("Two", "", "", "", QByteArray(30, 'x'), 1));
    const auto rows = List(dir.Dir(), 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(FileListColumns[FieldColumn(TagField::Track)].caption, QLatin1String("Track"));
    EXPECT_EQ(FieldColumn(TagField::Track), FieldColumn(TagField::Comment) + 1);
    EXPECT_EQ(Cells(rows[0]).mid(FieldColumn(TagField::Comment), 2), (QStringList{"Hi", "7"}));
    EXPECT_EQ(Cells(rows[1]).mid(FieldColumn(TagField::Comment), 2),
              (QStringList{QString(30, 'x'), ""}));
}

// The "ID3v2" column: the version the first bytes of an MP3 file announce, whatever its
// ID3v1 tag; nothing for other files.
TEST(FileList, TheId3v2ColumnShowsTheVersionAFileBeginsWith) {
    TempDir dir;
    const auto header = [](char major) { return QByteArray("ID3") + major + QByteArray(6, '\0'); };
    WriteFile(dir.Path("a.mp3"), header(3) + testsupport::AudioBytes(300));
    WriteFile(dir.Path("b.mp3"),
              header(4) + testsupport::AudioBytes(300) + MakeTag("Song", "Artist"));
    WriteFile(dir.Path("c.mp3"), header(2) + testsupport::AudioBytes(300));
    WriteFile(dir.Path("d.mp3"), header(5) + testsupport::AudioBytes(300));
    WriteFile(dir.Path("e.mp3"), testsupport::AudioBytes(300));
    WriteFile(dir.Path("f.wav"), header(3) + testsupport::AudioBytes(300));
    QStringList cells;
    for (const FileListRow& row : List(dir.Dir(), 1))
        cells << FileListCell(row, kColId3v2, QLocale::c(), kCodec);
    EXPECT_EQ(cells, (QStringList{"2.3", "2.4", "2.2", "", "", ""}));
    EXPECT_EQ(QString::fromLatin1(FileListColumns[kColId3v2].caption), "ID3v2");
}

// Read ahead on I/O threads, as on a network share, the list shows exactly what it shows read
// one file after another: files read in one piece (no longer than the ID3v2 header and the tag
// end together) and in two, with and without either tag, and files too short for a tag.
TEST(FileList, ReadAheadShowsWhatOneFileAfterAnotherShows) {
    TempDir dir;
    const QByteArray id3v2("ID3\x04\0\0\0\0\0\0", 10);
    for (int k = 0; k < 24; ++k) {
        const QByteArray audio = testsupport::AudioBytes(k % 4 == 0 ? 0 : 40 * k);
        const QByteArray tag =
            k % 3 == 0 ? QByteArray() : MakeTag("Song " + QByteArray::number(k), "Band");
        WriteFile(dir.Path(QString("%1.mp3").arg(k, 2, 10, QChar('0'))),
                  (k % 2 == 0 ? id3v2 : QByteArray()) + audio + tag);
    }
    const auto cells = [&dir](const char* threads) {
        qputenv("VANTUKE_IO_THREADS", threads);
        QList<QStringList> all;
        for (const FileListRow& row : List(dir.Dir(), 0))
            all << Cells(row);
        qunsetenv("VANTUKE_IO_THREADS");
        return all;
    };
    const QList<QStringList> oneByOne = cells("0");
    ASSERT_EQ(oneByOne.size(), 24);
    EXPECT_EQ(oneByOne[2].mid(kColTag, 2), (QStringList{"Yes", "Song 2"}));
    EXPECT_EQ(oneByOne[2][kColId3v2], "2.4");
    EXPECT_EQ(cells("8"), oneByOne);
}

TEST_F(FileListFolder, EachFilterListsWhatItsMaskAdmits) {
    const struct {
        int filter;
        QStringList names;
    } cases[] = {
        {1, {".hidden.mp3", "a.mp3", "B.MP3", "c.wav", "demomp3", "list.m3u"}},
        {2, {"list.m3u"}},
        {3, {}},
        {-1, {".hidden.mp3", "a.mp3", "B.MP3"}}, // no entry chosen: the first one
    };
    for (const auto& c : cases)
        EXPECT_EQ(Names(List(dir.Dir(), c.filter)), c.names) << "filter " << c.filter;
}

TEST_F(FileListFolder, OnlyNamesEndingInMp3GetATagCell) {
    const auto rows = List(dir.Dir(), 1);
    QStringList tagCells;
    for (const FileListRow& row : rows)
        tagCells << FileListCell(row, kColTag, QLocale::c(), kCodec);
    // .hidden.mp3 and demomp3 are shorter than a tag: they cannot hold one.
    EXPECT_EQ(tagCells, (QStringList{"No", "Yes", "No", "", "No", ""}));
    EXPECT_EQ(FileListCell(rows[5], FieldColumn(TagField::SongName), QLocale::c(), kCodec), "");
}

TEST(FileList, NamesAreSortedByCollationWithoutRegardToCase) {
    TempDir dir;
    for (const char* name : {"gamma.mp3", "Beta.mp3", "alpha.mp3", "B.mp3", "b.mp3"})
        WriteFile(dir.Path(name), testsupport::AudioBytes(200));
    EXPECT_EQ(Names(List(dir.Dir(), 0)),
              (QStringList{"alpha.mp3", "B.mp3", "b.mp3", "Beta.mp3", "gamma.mp3"}));
}

// "Caf\xE9.mp3" (Latin-1) beside "Caf\xEF\xBF\xBD.mp3" (UTF-8 of U+FFFD), each with its own
// tag: two rows, each showing its own file.
TEST(FileList, NamesThatAreNotUtf8AreListedExactlyAndShownAsWindows1252) {
    TempDir dir;
    const QString latin1 = testsupport::PathOfBytes(dir.Dir(), "Caf\xE9.mp3");
    const QString replacement = testsupport::PathOfBytes(dir.Dir(), "Caf\xEF\xBF\xBD.mp3");
    testsupport::WriteFile(latin1, testsupport::AudioBytes(300) + MakeTag("Latin", "One"));
    testsupport::WriteFile(replacement,
                           testsupport::AudioBytes(500) + MakeTag("Replacement", "Two"));

    const std::vector<FileListRow> rows = List(dir.Dir(), 0);
    ASSERT_EQ(rows.size(), 2u);
    // Shown alike ("Café" and "Caf" U+FFFD sort next to each other); the rows keep the bytes.
    const FileListRow& first = NameToBytes(rows[0].name) == "Caf\xE9.mp3" ? rows[0] : rows[1];
    const FileListRow& second = &first == &rows[0] ? rows[1] : rows[0];
    EXPECT_EQ(NameToBytes(first.name), "Caf\xE9.mp3");
    EXPECT_EQ(NameToBytes(second.name), "Caf\xEF\xBF\xBD.mp3");
    EXPECT_EQ(Cells(first).mid(0, 2), (QStringList{u"Caf\u00E9.mp3"_qs, "428"}));
    EXPECT_EQ(Cells(first)[FieldColumn(TagField::SongName)], "Latin");
    EXPECT_EQ(Cells(second).mid(0, 2), (QStringList{u"Caf\uFFFD.mp3"_qs, "628"}));
    EXPECT_EQ(Cells(second)[FieldColumn(TagField::SongName)], "Replacement");
}

// A name holding Latin-1 "\xE9" sorts where the same name in UTF-8 ("é") sorts, whatever the
// locale's collation.
TEST(FileList, AByteThatIsNotUtf8SortsAsTheCharacterItShowsAs) {
    const QList<QByteArray> others{"Cafz.mp3", "Cafe.mp3", "Cafa.mp3", "Caf!.mp3", "CafE.mp3"};
    const auto order = [&](const QByteArray& cafe) {
        TempDir dir;
        for (const QByteArray& name : others + QList<QByteArray>{cafe})
            testsupport::WriteFile(testsupport::PathOfBytes(dir.Dir(), name), "x");
        QList<QByteArray> names;
        for (const FileListRow& row : List(dir.Dir(), 0))
            names << (NameToBytes(row.name) == cafe ? QByteArray("<cafe>") : NameToBytes(row.name));
        return names;
    };
    const QList<QByteArray> latin1 = order("Caf\xE9.mp3");
    EXPECT_EQ(latin1, order("Caf\xC3\xA9.mp3"));
    EXPECT_EQ(latin1.size(), others.size() + 1);
}

TEST(FileList, PipesAreNeverListedSoNoTagReadCanBlock) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.Path("pipe.mp3")).constData(), 0644), 0);
    WriteMp3(dir.Path("song.mp3"), 500);
    EXPECT_EQ(Names(List(dir.Dir(), 1)), QStringList{"song.mp3"});
}

TEST(FileList, NoFolderSelectedOrAMissingFolderListsNothing) {
    TempDir dir;
    WriteMp3(dir.Path("song.mp3"), 500);
    EXPECT_TRUE(List("?", 0).empty());
    EXPECT_TRUE(List(dir.Path("missing") + "/", 0).empty());
}

TEST(FileList, AnUnreadableTagStopsTheListingAndKeepsTheRowsBefore) {
    TempDir dir;
    WriteMp3(dir.Path("1.mp3"), 500, MakeTag("One", "A"));
    WriteMp3(dir.Path("2.mp3"), 500, MakeTag("Two", "B"));
    WriteMp3(dir.Path("3.mp3"), 500, MakeTag("Three", "C"));
    testsupport::MakeUnreadable(dir.Path("2.mp3"));
    testsupport::OpenFolderToAll(dir.Path());

    std::vector<FileListRow> rows;
    try {
        const testsupport::AsUnprivilegedUser user;
        ReadFileList(dir.Dir(), 0, rows);
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "File access denied");
    }
    ASSERT_EQ(Names(rows), (QStringList{"1.mp3", "2.mp3"}));
    EXPECT_EQ(Cells(rows[0])[FieldColumn(TagField::SongName)], "One");
    // The failing file keeps its name, size and date, but no tag cells.
    EXPECT_EQ(Cells(rows[1]).mid(kColTag), (QStringList{"", "", "", "", "", "", "", "", ""}));
}

// The list only reads: a read-only file (or medium) shows its tag, and keeps its mode.
TEST(FileList, ReadOnlyFilesListWithTheirTags) {
    TempDir dir;
    WriteMp3(dir.Path("1.mp3"), 500, MakeTag("One", "A"));
    WriteMp3(dir.Path("2.mp3"), 500, MakeTag("Two", "B"));
    testsupport::MakeReadOnly(dir.Path("1.mp3"));
    std::vector<FileListRow> rows;
    ReadFileList(dir.Dir(), 0, rows);
    ASSERT_EQ(Names(rows), (QStringList{"1.mp3", "2.mp3"}));
    EXPECT_EQ(Cells(rows[0])[FieldColumn(TagField::SongName)], "One");
    EXPECT_EQ(Cells(rows[1])[FieldColumn(TagField::SongName)], "Two");
    EXPECT_FALSE(QFileInfo(dir.Path("1.mp3")).permissions() & QFile::WriteOwner);
}

TEST(FileList, AppendsToRowsAlreadyThere) {
    TempDir dir;
    WriteMp3(dir.Path("x.mp3"), 500);
    std::vector<FileListRow> rows(1);
    ReadFileList(dir.Dir(), 0, rows);
    EXPECT_EQ(rows.size(), 2u);
}

TEST(FileList, MasksAndMp3EndingsIgnoreCase) {
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"A.MP3", "*.mp3", true},
        {"song.Mp3", "*.mp3", true},
        {"songmp3", "*.mp3", false},
        {".mp3", "*.mp3", true},
        {"x.mp3.bak", "*.mp3", false},
        {"README", "*.*", true},
        {".profile", "*.*", true},
        {"LIST.M3U", "*.m3u", true},
        {"a.pls", "*.m3u", false},
        // Only a to z fold: the long s is no "s".
        {"a.pl\u017F", "*.pls", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;

    EXPECT_TRUE(EndsInMp3("demomp3"));
    EXPECT_TRUE(EndsInMp3("SONG.mP3"));
    EXPECT_FALSE(EndsInMp3("mp"));
    EXPECT_FALSE(EndsInMp3("song.mp4"));
}

TEST(FileDateText, EvenSecondsLocalTimeAndMidnightAlone) {
    const QLocale c = QLocale::c();
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDate day(2024, 3, 5);
    const struct {
        QTime time;
        QLocale locale;
        const char* text;
    } cases[] = {
        {QTime(13, 4, 6), c, "5 Mar 2024 13:04:06"},
        {QTime(13, 4, 7, 900), c, "5 Mar 2024 13:04:06"}, // down to even, no fraction
        {QTime(0, 0), c, "5 Mar 2024"},
        {QTime(0, 0, 1), c, "5 Mar 2024"}, // rounds down to midnight
        {QTime(0, 0, 2), c, "5 Mar 2024 00:00:02"},
        {QTime(13, 4, 6), us, "3/5/24 1:04:06 PM"}, // no time-zone name
    };
    for (const auto& t : cases)
        EXPECT_EQ(FileDateText(QDateTime(day, t.time), t.locale), t.text)
            << t.time.toString().toStdString();
}

TEST(FileList, DateCellShowsTheFilesLocalModificationTime) {
    TempDir dir;
    WriteMp3(dir.Path("midnight.mp3"), 200);
    WriteMp3(dir.Path("noon.mp3"), 200);
    SetModified(dir.Path("midnight.mp3"), QDateTime(QDate(2020, 1, 31), QTime(0, 0)));
    SetModified(dir.Path("noon.mp3"), QDateTime(QDate(2020, 1, 31), QTime(12, 0, 31)));
    const auto rows = List(dir.Dir(), 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(FileListCell(rows[0], kColFiledate, QLocale::c(), kCodec), "31 Jan 2020");
    EXPECT_EQ(FileListCell(rows[1], kColFiledate, QLocale::c(), kCodec), "31 Jan 2020 12:00:30");
}

namespace {

FileListRow SortRow(const char* name, qint64 size, int day, bool tagged, const char* artist,
                    const char* year) {
    FileListRow row;
    row.name = QString::fromUtf8(name);
    row.size = size;
    row.lastWrite = QDateTime(QDate(2020, 1, day), QTime(12, 0));
    row.tagCell = tagged ? TagCell::Tagged : TagCell::Untagged;
    if (tagged) {
        row.tag.SongName = "Song";
        row.tag.Artist = artist;
        row.tag.Year = year;
    }
    return row;
}

QStringList NamesIn(const std::vector<FileListRow>& rows, const std::vector<int>& order) {
    QStringList names;
    for (const int i : order)
        names << rows[size_t(i)].name;
    return names;
}

} // namespace

// A column sorts its own way: names and tag texts by collation without regard to case, sizes
// and years as numbers, dates by time. Rows that sort alike keep the folder's order, in both
// directions; column -1 is the folder's order.
TEST(FileListSort, EachColumnSortsItsOwnWayAndTiesKeepTheFoldersOrder) {
    const std::vector<FileListRow> rows{
        SortRow("b.mp3", 900, 3, true, "beta", "1999"),
        SortRow("A.mp3", 10000, 1, true, "Alpha", "199x"),
        SortRow("c.mp3", 85, 2, false, "", ""),
        SortRow("d.mp3", 900, 5, true, "alpha", "85"),
        SortRow("e.mp3", 20, 4, true, "", "2001"),
    };
    const QLocale c = QLocale::c();
    const struct {
        int column;
        Qt::SortOrder order;
        QStringList expected;
    } cases[] = {
        {-1, Qt::AscendingOrder, {"b.mp3", "A.mp3", "c.mp3", "d.mp3", "e.mp3"}},
        {kColFilename, Qt::AscendingOrder, {"A.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}},
        {kColFilename, Qt::DescendingOrder, {"e.mp3", "d.mp3", "c.mp3", "b.mp3", "A.mp3"}},
        // 85 < 900 < 10000, though "10000" < "85" < "900" as text.
        {kColFilesize, Qt::AscendingOrder, {"e.mp3", "c.mp3", "b.mp3", "d.mp3", "A.mp3"}},
        {kColFilesize, Qt::DescendingOrder, {"A.mp3", "b.mp3", "d.mp3", "c.mp3", "e.mp3"}},
        {kColFiledate, Qt::AscendingOrder, {"A.mp3", "c.mp3", "b.mp3", "e.mp3", "d.mp3"}},
        // Empty cells first; "Alpha" and "alpha" collate alike and keep the folder's order.
        {FieldColumn(TagField::Artist),
         Qt::AscendingOrder,
         {"c.mp3", "e.mp3", "A.mp3", "d.mp3", "b.mp3"}},
        {FieldColumn(TagField::Artist),
         Qt::DescendingOrder,
         {"b.mp3", "A.mp3", "d.mp3", "c.mp3", "e.mp3"}},
        // Empty, then numbers by value, then other text.
        {FieldColumn(TagField::Year),
         Qt::AscendingOrder,
         {"c.mp3", "d.mp3", "b.mp3", "e.mp3", "A.mp3"}},
        {kColTag, Qt::AscendingOrder, {"c.mp3", "b.mp3", "A.mp3", "d.mp3", "e.mp3"}},
    };
    for (const auto& t : cases)
        EXPECT_EQ(NamesIn(rows, SortedRows(rows, t.column, t.order, c, kCodec)), t.expected)
            << "column " << t.column << (t.order == Qt::AscendingOrder ? " up" : " down");
}
