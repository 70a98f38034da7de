#include "tag/AudioCheck.h"

#include "tag/PlanningFileSystem.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace vantuke;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

struct StartCase {
    const char* name;
    QByteArray bytes;
    bool mpeg;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class AudioStartTest : public testing::TestWithParam<StartCase> {};

TEST_P(AudioStartTest, TellsMpegAudioFromOtherFiles) {
    EXPECT_EQ(BeginsLikeMpegAudio(GetParam().bytes), GetParam().mpeg);
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int value : values)
        bytes.append(char(value));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Starts, AudioStartTest,
    testing::Values(
        StartCase{"Id3v2", Bytes({'I', 'D', '3', 4, 0, 0, 0, 0, 0x10, 0x7F}), true},
        StartCase{"Id3v2SizeByteTooLarge", Bytes({'I', 'D', '3', 3, 0, 0, 0, 0, 0x80, 0}), false},
        StartCase{"Id3v2Version22", Bytes({'I', 'D', '3', 2, 0, 0, 0, 0, 0, 0}), true},
        StartCase{"Id3v2Version25", Bytes({'I', 'D', '3', 5, 0, 0, 0, 0, 0, 0}), false},
        StartCase{"Id3v2RevisionFF", Bytes({'I', 'D', '3', 3, 0xFF, 0, 0, 0, 0, 0}), false},
        StartCase{"Id3v2Cut", Bytes({'I', 'D', '3', 4, 0, 0, 0, 0, 0}), false},
        StartCase{"Mpeg1Layer3", Bytes({0xFF, 0xFB, 0x90, 0x64}), true},
        StartCase{"Mpeg2Layer3", Bytes({0xFF, 0xF3, 0x48, 0xC4}), true},
        StartCase{"Mpeg25Layer3", Bytes({0xFF, 0xE3, 0x18, 0xC4}), true},
        StartCase{"Mpeg1Layer2", Bytes({0xFF, 0xFD, 0x94, 0x00}), true},
        StartCase{"ReservedVersion", Bytes({0xFF, 0xEB, 0x90, 0x64}), false},
        StartCase{"ReservedLayer", Bytes({0xFF, 0xF9, 0x90, 0x64}), false},
        StartCase{"FreeBitRate", Bytes({0xFF, 0xFB, 0x00, 0x64}), false},
        StartCase{"BadBitRate", Bytes({0xFF, 0xFB, 0xF0, 0x64}), false},
        StartCase{"ReservedSampleRate", Bytes({0xFF, 0xFB, 0x9C, 0x64}), false},
        StartCase{"ReservedEmphasis", Bytes({0xFF, 0xFB, 0x90, 0x66}), false},
        StartCase{"TenSyncBits", Bytes({0xFF, 0xDB, 0x90, 0x64}), false},
        StartCase{"Jpeg", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}), false},
        StartCase{"ThreeBytes", Bytes({0xFF, 0xFB, 0x90}), false}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

// Names ending in ".mp3" are taken unread (a file not even there); others by their bytes, on
// disk and in a dry run's model of the files alike.
TEST(IsMp3File, ByNameOrByTheFirstBytes) {
    TempDir dir;
    WriteFile(dir.Path("audio.bin"), Bytes({0xFF, 0xFB, 0x90, 0x64}) + QByteArray(300, '\0'));
    WriteFile(dir.Path("cover.jpg"), Bytes({0xFF, 0xD8, 0xFF, 0xE0}) + QByteArray(300, '\0'));
    WriteFile(dir.Path("tiny"), Bytes({0xFF, 0xFB}));
    DiskFileSystem disk;
    PlanningFileSystem model(disk, PlanningFileSystem::Opening::Look);
    for (FileSystem* files : {static_cast<FileSystem*>(&disk), static_cast<FileSystem*>(&model)}) {
        EXPECT_TRUE(IsMp3File(dir.Path("missing.MP3"), *files));
        EXPECT_TRUE(IsMp3File(dir.Path("audio.bin"), *files));
        EXPECT_FALSE(IsMp3File(dir.Path("cover.jpg"), *files));
        EXPECT_FALSE(IsMp3File(dir.Path("tiny"), *files));
        EXPECT_FALSE(IsMp3File(dir.Path("missing.bin"), *files));
        EXPECT_FALSE(IsMp3File(dir.Path("notes.mp3.txt"), *files));
        EXPECT_FALSE(IsMp3File(dir.Path("demomp3"), *files));
    }
    // A name the model moved the file away from holds nothing; the new name holds its bytes.
    ASSERT_TRUE(model.Rename(dir.Path("audio.bin"), dir.Path("moved.bin")));
    EXPECT_FALSE(IsMp3File(dir.Path("audio.bin"), model));
    EXPECT_TRUE(IsMp3File(dir.Path("moved.bin"), model));
}

// The model reads a moved file through the name it has on disk, whatever bytes that name is
// made of, and a file moved back to that name is where it always was.
TEST(IsMp3File, MovedFilesAreReadThroughTheirNamesOnDisk) {
    TempDir dir;
    const QString odd = testsupport::PathOfBytes(dir.Dir(), "caf\xE9");
    WriteFile(odd, Bytes({0xFF, 0xFB, 0x90, 0x64}) + QByteArray(300, '\0'));
    DiskFileSystem disk;
    PlanningFileSystem model(disk, PlanningFileSystem::Opening::Look);
    const QString names[] = {odd, dir.Path("b"), dir.Path("c"), odd, dir.Path("b")};
    for (qsizetype k = 1; k < qsizetype(std::size(names)); ++k) {
        ASSERT_TRUE(model.Rename(names[k - 1], names[k])) << k;
        EXPECT_TRUE(IsMp3File(names[k], model)) << k;
        EXPECT_FALSE(model.Stat(names[k - 1])) << k;
        EXPECT_EQ(model.FirstBytes(names[k], 2), Bytes({0xFF, 0xFB})) << k;
    }
}

} // namespace
