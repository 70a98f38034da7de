#include "platform/FileAccess.h"
#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace vantuke;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

using testsupport::ErrorCodeOf;
using testsupport::OpenDescriptors;

void MakeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
}

TEST(FileAccessTest, RefusesWhatIsNotAWritableRegularFile) {
    TempDir dir;
    WriteFile(dir.Path("plain"), "abc");
    WriteFile(dir.Path("readonly"), "abc");
    testsupport::MakeReadOnly(dir.Path("readonly"));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder"));
    MakeFifo(dir.Path("pipe"));
    const struct {
        QString path;
        int code;
    } cases[] = {
        {dir.Path("missing"), 2},
        {dir.Path("plain/file"), 2},
        {QString(), 3},
        {dir.Path("plain") + QChar(0) + "tail", 3}, // must not open "plain"
        {dir.Path(QString(300, 'n')), 3},
        {dir.Path("readonly"), 5}, // the tests run as root, whom the kernel lets write
        {dir.Path("folder"), 5},
        {dir.Path("pipe"), 5},
    };
    const int before = OpenDescriptors();
    for (const auto& c : cases)
        EXPECT_EQ(ErrorCodeOf([&] { OpenFile f(c.path); }), c.code) << c.path.toStdString();
    EXPECT_EQ(OpenDescriptors(), before) << "a refused open left a descriptor behind";
}

TEST(FileAccessTest, ErrorsNameTheFileTheyCameFrom) {
    TempDir dir;
    WriteFile(dir.Path("short"), "abc");
    const auto pathOf = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const IoError& error) {
            return error.Path();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(pathOf([&] { OpenFile f(dir.Path("missing")); }), dir.Path("missing"));
    EXPECT_EQ(pathOf([&] { OpenFile(dir.Path("short")).ReadAt(2, 5); }), dir.Path("short"));
    EXPECT_EQ(pathOf([&] { ReadWholeFile(dir.Path("gone.m3u")); }), dir.Path("gone.m3u"));
}

TEST(FileAccessTest, BlockTransfersFailAtBadPositions) {
    TempDir dir;
    WriteFile(dir.Path("f"), "0123456789");
    OpenFile f(dir.Path("f"));
    EXPECT_EQ(f.ReadAt(3, 4), "3456");
    EXPECT_EQ(ErrorCodeOf([&] { f.ReadAt(-1, 3); }), 22);
    EXPECT_EQ(ErrorCodeOf([&] { f.ReadAt(8, 3); }), IoError::kReadBeyondEnd);
    EXPECT_EQ(ErrorCodeOf([&] { f.WriteAt(-5, "x"); }), 22);
    EXPECT_EQ(ErrorCodeOf([&] { f.Truncate(-1); }), 22);
    EXPECT_EQ(ReadFile(dir.Path("f")), "0123456789");
}

TEST(FileAccessTest, ReadWholeFileReadsReadOnlyFilesAndRefusesOthers) {
    TempDir dir;
    const QByteArray big = testsupport::AudioBytes(200000); // several read chunks
    WriteFile(dir.Path("big.m3u"), big);
    testsupport::MakeReadOnly(dir.Path("big.m3u"));
    EXPECT_EQ(ReadWholeFile(dir.Path("big.m3u")), big);

    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.m3u"));
    MakeFifo(dir.Path("pipe.m3u")); // opening it for reading must not wait for a writer
    const int before = OpenDescriptors();
    EXPECT_EQ(ErrorCodeOf([&] { ReadWholeFile(dir.Path("missing.m3u")); }), 2);
    EXPECT_EQ(ErrorCodeOf([&] { ReadWholeFile(dir.Path("folder.m3u")); }), 5);
    EXPECT_EQ(ErrorCodeOf([&] { ReadWholeFile(dir.Path("pipe.m3u")); }), 5);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(FileAccessTest, MakeWritableAddsOnlyTheOwnerWriteBit) {
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteFile(path, "x");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0454), 0);
    EXPECT_TRUE(IsReadOnly(path));
    MakeWritable(path);
    EXPECT_FALSE(IsReadOnly(path));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0654));
    EXPECT_FALSE(IsReadOnly(dir.Path("missing")));
}

TEST(FileAccessTest, RenameNeverReplacesAndReportsFailure) {
    TempDir dir;
    WriteFile(dir.Path("a.mp3"), "first");
    WriteFile(dir.Path("b.mp3"), "second");
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("b.mp3")));
    EXPECT_FALSE(RenameNoReplace(dir.Path("missing.mp3"), dir.Path("c.mp3")));
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("nofolder/c.mp3")));
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("c") + QChar(0) + ".mp3"));
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), "first");
    EXPECT_EQ(ReadFile(dir.Path("b.mp3")), "second");

    EXPECT_TRUE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("A.mp3"))); // names keep case
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), (QStringList{"A.mp3", "b.mp3"}));
    // Its own path needs nothing from the file system, not even an existing file.
    EXPECT_TRUE(RenameNoReplace(dir.Path("gone.mp3"), dir.Path("gone.mp3")));
}

} // namespace
