// Listings and look-ups keep every name exact; shown to a person, escaped bytes read as
// Windows-1252.
#include "platform/Directory.h"
#include "platform/Locations.h"
#include "platform/NameBytes.h"
#include "platform/NameDisplay.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantuke;
using testsupport::PathOfBytes;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QString Escaped(const char* before, char16_t byte, const char* after) {
    return QString::fromLatin1(before) + QChar(char16_t(kEscapeBase + byte)) +
           QString::fromLatin1(after);
}

TEST(NameDisplay, EscapedBytesShowAsWindows1252) {
    const struct {
        QString text;
        QString shown;
    } cases[] = {
        {Escaped("Caf", 0xE9, ".mp3"), u"Caf\u00E9.mp3"_qs},
        {Escaped("", 0x80, " 5"), u"\u20AC 5"_qs},
        {Escaped("", 0x9F, ""), u"\u0178"_qs},
        {Escaped("", 0x92, "s"), u"\u2019s"_qs},
        {Escaped("", 0xA0, ""), u"\u00A0"_qs},
        {Escaped("", 0xFF, ""), u"\u00FF"_qs},
        // Bytes Windows-1252 leaves undefined.
        {Escaped("a", 0x81, "b"), u"a\uFFFDb"_qs},
        {Escaped("", 0x9D, ""), u"\uFFFD"_qs},
        // Real characters, valid surrogate pairs and surrogates that are no escapes stay.
        {u"Caf\u00E9 \uFFFD \u20AC"_qs, u"Caf\u00E9 \uFFFD \u20AC"_qs},
        {QString::fromUcs4(U"\U0001F3B5"), QString::fromUcs4(U"\U0001F3B5")},
        {QString(QChar(0xDC7F)), QString(QChar(0xDC7F))},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameForDisplay(c.text), c.shown) << c.text.toStdString();
}

// A folder holding "Caf\xE9.mp3" (Latin-1) beside "Caf\xEF\xBF\xBD.mp3" (UTF-8 of U+FFFD):
// the names every lossy conversion turns into one.
class LookAlikeFolder : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(latin1, QByteArray(100, 'a'));
        WriteFile(replacement, QByteArray(200, 'b'));
    }
    TempDir temp;
    const QString latin1 = PathOfBytes(temp.Dir(), "Caf\xE9.mp3");
    const QString replacement = PathOfBytes(temp.Dir(), "Caf\xEF\xBF\xBD.mp3");
};

TEST_F(LookAlikeFolder, ListingAndLookUpsKeepEachNameWithItsOwnFile) {
    QMap<QByteArray, qint64> sizes;
    ASSERT_TRUE(ReadDirectory(temp.Dir(), EntryDetail::Full, [&](const DirEntry& entry) {
        sizes.insert(NameToBytes(entry.name), entry.status.size);
        return true;
    }));
    EXPECT_EQ(sizes,
              (QMap<QByteArray, qint64>{{"Caf\xE9.mp3", 100}, {"Caf\xEF\xBF\xBD.mp3", 200}}));
    EXPECT_EQ(StatusOf(latin1).size, 100);
    EXPECT_EQ(StatusOf(replacement).size, 200);
    ::unlink(NameToBytes(replacement).constData());
    EXPECT_TRUE(NameExists(latin1));
    EXPECT_FALSE(NameExists(replacement));
}

TEST(Directory, KindsFollowLinksAndDanglingLinksAreMissing) {
    TempDir temp;
    const QByteArray dir = QFile::encodeName(temp.Dir());
    ASSERT_TRUE(QDir().mkdir(temp.Path("folder")));
    testsupport::WriteFile(temp.Path("plain"), "x");
    ASSERT_EQ(::symlink("folder", dir + "to-folder"), 0);
    ASSERT_EQ(::symlink("plain", dir + "to-plain"), 0);
    ASSERT_EQ(::symlink("gone", dir + "dangling"), 0);
    ASSERT_EQ(::mkfifo(dir + "pipe", 0644), 0);
    const QMap<QString, FileKind> expected{
        {"folder", FileKind::Folder},    {"plain", FileKind::Regular},
        {"to-folder", FileKind::Folder}, {"to-plain", FileKind::Regular},
        {"dangling", FileKind::Missing}, {"pipe", FileKind::Other},
    };
    for (const EntryDetail detail : {EntryDetail::KindOnly, EntryDetail::Full}) {
        QMap<QString, FileKind> kinds;
        ReadDirectory(temp.Dir(), detail, [&](const DirEntry& entry) {
            kinds.insert(entry.name, entry.status.kind);
            return true;
        });
        EXPECT_EQ(kinds, expected) << int(detail);
    }
    EXPECT_TRUE(IsFolder(temp.Path("to-folder")));
    EXPECT_FALSE(IsFolder(temp.Path("to-plain")));
    EXPECT_TRUE(NameExists(temp.Path("dangling")));
    EXPECT_EQ(StatusOf(temp.Path("dangling")).kind, FileKind::Missing);
}

TEST(Directory, TheVisitorStopsTheListingAndUnreadableFoldersReportFalse) {
    TempDir temp;
    for (const char* name : {"a", "b", "c"})
        testsupport::WriteFile(temp.Path(name), "x");
    int visited = 0;
    EXPECT_TRUE(ReadDirectory(temp.Dir(), EntryDetail::KindOnly, [&](const DirEntry&) {
        ++visited;
        return false;
    }));
    EXPECT_EQ(visited, 1);

    const auto never = [](const DirEntry&) {
        ADD_FAILURE() << "visited an entry of a folder that cannot be read";
        return true;
    };
    EXPECT_FALSE(ReadDirectory(temp.Path("missing"), EntryDetail::Full, never));
    EXPECT_FALSE(ReadDirectory(temp.Path("a"), EntryDetail::Full, never));
    EXPECT_FALSE(ReadDirectory(QString(), EntryDetail::Full, never));
    EXPECT_FALSE(ReadDirectory(temp.Dir() + QChar(0) + "x", EntryDetail::Full, never));
}

TEST(Directory, ModificationTimeComesWithTheListing) {
    TempDir temp;
    testsupport::WriteFile(temp.Path("f"), "x");
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(1700000000250);
    {
        QFile file(temp.Path("f"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(StatusOf(temp.Path("f")).lastWrite, when);
    ReadDirectory(temp.Dir(), EntryDetail::Full, [&](const DirEntry& entry) {
        EXPECT_EQ(entry.status.lastWrite, when);
        return true;
    });
}

TEST(Directory, WorkingAndHomeFoldersKeepTheirBytes) {
    TempDir temp;
    const QString odd = PathOfBytes(temp.Dir(), "h\xE9me");
    ASSERT_EQ(::mkdir(NameToBytes(odd).constData(), 0755), 0);

    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", NameToBytes(odd));
    const QString shownHome = HomeDir();
    qputenv("HOME", home);
    EXPECT_EQ(shownHome, odd + u'/');

    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    ASSERT_EQ(::chdir(NameToBytes(odd).constData()), 0);
    const QString current = WorkingDir();
    ASSERT_EQ(::chdir(before), 0);
    EXPECT_EQ(current, odd + u'/');
}

} // namespace
