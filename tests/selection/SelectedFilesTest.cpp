#include "selection/SelectedFiles.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testsupport::TempDir;
using testsupport::WriteFile;
using vantuke::IoError;
using vantuke::NameFromBytes;
using vantuke::NameToBytes;
using vantuke::SelectedFiles;

namespace {

void MakeSizedFile(const QString& path, qint64 size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size)); // sparse: costs no disk space
}

TEST(SelectedFiles, RefusesExactDuplicatesOnly) {
    SelectedFiles files;
    EXPECT_TRUE(files.Add("/m/a.mp3"));
    EXPECT_FALSE(files.Add("/m/a.mp3"));
    EXPECT_TRUE(files.Add("/m/A.mp3"));
    EXPECT_TRUE(files.Add("/m/a.mp3 "));
    EXPECT_EQ(files.Entries(), (QStringList{"/m/a.mp3", "/m/A.mp3", "/m/a.mp3 "}));
    EXPECT_TRUE(files.IsInSelection("/m/A.mp3"));
    EXPECT_FALSE(files.IsInSelection("/M/a.mp3"));
}

TEST(SelectedFiles, AddAllTakesPlaylistsAsFilesAndAddExpandsThem) {
    TempDir dir;
    WriteFile(dir.Path("a.M3u"), "#EXTM3U\none.mp3\ntwo.mp3\none.mp3\n");
    WriteFile(dir.Path("b.PLS"), "[playlist]\nNumberOfEntries=2\nFile1=two.mp3\nFile2=three.mp3\n");
    WriteFile(dir.Path("list.m3u8"), "four.mp3\n");
    const QStringList rows{"a.M3u", "b.PLS", "x.mp3", "list.m3u8"};

    SelectedFiles all;
    all.AddRows(dir.Dir(), rows, false);
    all.AddRows(dir.Dir(), rows, false);
    EXPECT_EQ(all.Entries(), (QStringList{dir.Path("a.M3u"), dir.Path("b.PLS"), dir.Path("x.mp3"),
                                          dir.Path("list.m3u8")}));

    SelectedFiles picked;
    picked.AddRows(dir.Dir(), rows, true);
    picked.AddRows(dir.Dir(), rows, true);
    EXPECT_EQ(picked.Entries(),
              (QStringList{dir.Path("one.mp3"), dir.Path("two.mp3"), dir.Path("three.mp3"),
                           dir.Path("x.mp3"), dir.Path("four.mp3")}));
}

TEST(SelectedFiles, UnreadableM3uStopsAddKeepingEarlierEntries) {
    TempDir dir;
    SelectedFiles files;
    try {
        files.AddRows(dir.Dir(), {"first.mp3", "gone.m3u", "after.mp3"}, true);
        FAIL() << "a missing playlist was not reported";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "File not found");
    }
    EXPECT_EQ(files.Entries(), QStringList{dir.Path("first.mp3")});

    // A PLS that cannot be read just adds nothing.
    files.AddRows(dir.Dir(), {"gone.pls", "after.mp3"}, true);
    EXPECT_EQ(files.Entries(), (QStringList{dir.Path("first.mp3"), dir.Path("after.mp3")}));
}

TEST(SelectedFiles, RemoveRowsTakesOutOnlyTheHighlightedEntries) {
    SelectedFiles files;
    files.SetEntries({"a", "b", "c", "d", "e"});
    files.RemoveRows({3, 0, 3, -1, 9});
    EXPECT_EQ(files.Entries(), (QStringList{"b", "c", "e"}));
    EXPECT_FALSE(files.IsInSelection("a"));
    EXPECT_TRUE(files.IsInSelection("e"));
    files.RemoveRows({});
    EXPECT_EQ(files.Count(), 3);
    EXPECT_TRUE(files.Add("a"));
    files.Clear();
    EXPECT_EQ(files.Count(), 0);
    EXPECT_FALSE(files.IsInSelection("b"));
    EXPECT_TRUE(files.Add("b"));
}

TEST(SelectedFiles, ReplacedEntriesKeepTheIndexRight) {
    SelectedFiles files;
    files.SetEntries({"/m/old.mp3", "/m/other.mp3"});
    files.ReplaceEntry(0, "/m/new.mp3");
    EXPECT_FALSE(files.IsInSelection("/m/old.mp3"));
    EXPECT_TRUE(files.IsInSelection("/m/new.mp3"));
    EXPECT_TRUE(files.Add("/m/old.mp3"));

    // Two entries that came to hold one text: removing one leaves the other findable.
    files.ReplaceEntry(1, "/m/new.mp3");
    files.RemoveRows({0});
    EXPECT_TRUE(files.IsInSelection("/m/new.mp3"));
    files.ReplaceEntry(0, "/m/last.mp3");
    EXPECT_FALSE(files.IsInSelection("/m/new.mp3"));
    EXPECT_EQ(files.Entries(), (QStringList{"/m/last.mp3", "/m/old.mp3"}));
}

TEST(SelectedFiles, StatusCountsEntriesAndSumsSizesIn64Bits) {
    SelectedFiles files;
    EXPECT_EQ(files.StatusText(), "Status: 0 files selected (0 bytes)");

    TempDir dir;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        MakeSizedFile(dir.Path(name), 4 * 1024 * 1024);
        files.Add(dir.Path(name));
    }
    EXPECT_EQ(files.StatusText(), "Status: 3 files selected (12582912 bytes)");

    MakeSizedFile(dir.Path("big.mp3"), 5LL * 1024 * 1024 * 1024);
    files.Add(dir.Path("big.mp3"));
    files.Add(dir.Path("missing.mp3"));
    files.Add(dir.Path());        // a folder is no file
    files.Add(dir.Path("*.mp3")); // no wildcard matching
    EXPECT_EQ(files.StatusText(), "Status: 7 files selected (5381292032 bytes)");
}

TEST(SelectedFiles, NamesDifferingInAnyByteAreTwoEntriesEachCountingItsOwnFile) {
    TempDir dir;
    const QByteArray latin1 = "Caf\xE9.mp3";
    const QByteArray replacement = "Caf\xEF\xBF\xBD.mp3";
    testsupport::WriteFile(testsupport::PathOfBytes(dir.Dir(), latin1), QByteArray(100, 'a'));
    testsupport::WriteFile(testsupport::PathOfBytes(dir.Dir(), replacement), QByteArray(1000, 'b'));
    SelectedFiles files;
    const QStringList names{NameFromBytes(latin1), NameFromBytes(replacement)};
    files.AddRows(dir.Dir(), names, true);
    files.AddRows(dir.Dir(), names, false);
    ASSERT_EQ(files.Count(), 2);
    EXPECT_EQ(NameToBytes(files.Entries()[0]), NameToBytes(dir.Dir()) + latin1);
    EXPECT_EQ(NameToBytes(files.Entries()[1]), NameToBytes(dir.Dir()) + replacement);
    EXPECT_EQ(files.StatusText(), "Status: 2 files selected (1100 bytes)");
}

TEST(SelectedFiles, APlaylistOver64MiBStopsAddWithAClearError) {
    TempDir dir;
    for (const char* name : {"big.pls", "big.m3u"}) {
        WriteFile(dir.Path(name), "[playlist]\nNumberOfEntries=1\nFile1=/a.mp3\n");
        ASSERT_TRUE(QFile::resize(dir.Path(name), 65 * 1024 * 1024));
        SelectedFiles files;
        try {
            files.AddRows(dir.Dir(), {"first.mp3", name, "after.mp3"}, true);
            ADD_FAILURE() << "a playlist of 65 MiB was read";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Code(), IoError::kTooLarge);
            EXPECT_EQ(e.Text(), "File too large (over 64 MiB)");
            EXPECT_EQ(e.Path(), dir.Path(name));
        }
        EXPECT_EQ(files.Entries(), QStringList{dir.Path("first.mp3")});
    }
}

TEST(SelectedFiles, RelativeEntriesCountAgainstTheWorkingDirectory) {
    TempDir dir;
    MakeSizedFile(dir.Path("rel.mp3"), 1000);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.Path()));
    SelectedFiles files;
    files.Add("rel.mp3");
    files.Add("./rel.mp3");
    const QString status = files.StatusText();
    QDir::setCurrent(before);
    EXPECT_EQ(status, "Status: 2 files selected (2000 bytes)");
}

} // namespace
