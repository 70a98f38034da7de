// Reading a file whole stays bounded; replacing one goes through every link to the real file.
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "platform/ReplaceFile.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantuke;
using testsupport::ErrorCodeOf;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

// A file of the given size that takes no room on the disk.
void MakeSparse(const QString& path, qint64 size) {
    WriteFile(path, "[playlist]\n");
    ASSERT_EQ(::truncate(Native(path).constData(), size), 0);
}

TEST(ReadWholeFile, TakesAFileOfExactlyTheLimitAndRefusesALargerOneNamingIt) {
    TempDir temp;
    const QString edge = temp.Path("edge.m3u");
    MakeSparse(edge, kMaxWholeFileSize);
    EXPECT_EQ(ReadWholeFile(edge).size(), kMaxWholeFileSize);

    const QString big = temp.Path("big.pls");
    MakeSparse(big, 65 * 1024 * 1024);
    try {
        ReadWholeFile(big);
        FAIL() << "read a file of 65 MiB";
    } catch (const IoError& error) {
        EXPECT_EQ(error.Code(), IoError::kTooLarge);
        EXPECT_EQ(error.Text(), "File too large (over 64 MiB)");
        EXPECT_EQ(error.Path(), big);
    }
}

// Vantuke.Ini -> config/vantuke.ini -> ../store/vantuke.ini, with the real file at the end.
class LinkChain : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkdir(temp.Path("config")));
        ASSERT_TRUE(QDir().mkdir(temp.Path("store")));
        ASSERT_EQ(::symlink("config/vantuke.ini", Native(top).constData()), 0);
        ASSERT_EQ(::symlink("../store/vantuke.ini", Native(middle).constData()), 0);
    }
    void ExpectLinksUntouched() {
        EXPECT_EQ(QFile::symLinkTarget(top), middle);
        EXPECT_EQ(QFileInfo(middle).symLinkTarget(), real);
        EXPECT_TRUE(QFileInfo(top).isSymLink());
        EXPECT_TRUE(QFileInfo(middle).isSymLink());
    }
    QStringList Entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
    }
    TempDir temp;
    const QString top = temp.Path("Vantuke.Ini");
    const QString middle = temp.Path("config/vantuke.ini");
    const QString real = temp.Path("store/vantuke.ini");
};

TEST_F(LinkChain, CreatesThenReplacesTheRealFileAndLeavesEveryLink) {
    ReplaceFileContents(top, "first");
    EXPECT_EQ(ReadFile(real), "first");
    ASSERT_EQ(::chmod(Native(real).constData(), 0640), 0);
    ReplaceFileContents(top, "new");
    EXPECT_EQ(ReadFile(real), "new");
    ExpectLinksUntouched();
    struct stat st {};
    ASSERT_EQ(::stat(Native(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left anywhere.
    EXPECT_EQ(Entries(temp.Path("store")), QStringList{"vantuke.ini"});
    EXPECT_EQ(Entries(temp.Path("config")), QStringList{"vantuke.ini"});
}

TEST_F(LinkChain, RefusesAPipeOrFolderAtTheEndAndLeavesIt) {
    ASSERT_EQ(::mkfifo(Native(real).constData(), 0644), 0);
    EXPECT_EQ(ErrorCodeOf([&] { ReplaceFileContents(top, "x"); }), 5);
    struct stat st {};
    ASSERT_EQ(::lstat(Native(real).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ASSERT_EQ(::unlink(Native(real).constData()), 0);
    ASSERT_TRUE(QDir().mkdir(real));
    EXPECT_EQ(ErrorCodeOf([&] { ReplaceFileContents(top, "x"); }), 5);
    EXPECT_TRUE(QFileInfo(real).isDir());
    ExpectLinksUntouched();
    EXPECT_EQ(Entries(temp.Path("store")), QStringList{"vantuke.ini"});
}

TEST_F(LinkChain, RefusesALoopOfLinks) {
    ASSERT_EQ(::symlink("../Vantuke.Ini", Native(real).constData()), 0);
    EXPECT_EQ(ErrorCodeOf([&] { ReplaceFileContents(top, "x"); }), ELOOP);
    ExpectLinksUntouched();
}

TEST(ReplaceFile, KeepsTheExactBytesOfTheName) {
    TempDir temp;
    const QString latin1 = testsupport::PathOfBytes(temp.Dir(), "Caf\xE9.ini");
    const QString replacement = testsupport::PathOfBytes(temp.Dir(), "Caf\xEF\xBF\xBD.ini");
    testsupport::WriteFile(replacement, "other");
    ReplaceFileContents(latin1, "mine");
    EXPECT_EQ(ReadWholeFile(latin1), "mine");
    EXPECT_EQ(ReadWholeFile(replacement), "other");
}

} // namespace
