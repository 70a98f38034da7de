#include "platform/FolderCheck.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using vantuke::IsFolder;

TEST(FolderCheck, OnlyExistingFoldersAndLinksToThemCount) {
    testsupport::TempDir temp;
    const QString dir = temp.Dir();
    ASSERT_TRUE(QDir().mkpath(dir + "music"));
    testsupport::WriteFile(dir + "song.mp3", "x");
    ASSERT_TRUE(QFile::link(dir + "music", dir + "link"));
    ASSERT_TRUE(QFile::link(dir + "gone", dir + "dangling"));
    // A folder named in Windows-1252 bytes, which are no UTF-8.
    const QString latin = vantuke::NameFromBytes(QByteArray("caf\xe9"));
    ASSERT_EQ(::mkdir(vantuke::NameToBytes(dir + latin).constData(), 0755), 0);

    const struct {
        QString path;
        bool folder;
    } cases[] = {
        {dir + "music", true},        {dir + "music/", true},    {dir + latin, true},
        {dir + "link", true},         {dir + "song.mp3", false}, {dir + "missing", false},
        {dir + "dangling", false},    {QString(), false},        {dir + QChar(0) + "music", false},
        {dir + QChar(0xDC41), false}, // no byte stands for this
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFolder(c.path), c.folder) << c.path.toStdString();
}
