// The blocks before the tag: an Enhanced TAG block ("TAG+") belongs to the tag, is cut with it
// and agrees with what is written; Lyrics3v2 and APEv2 blocks are kept byte for byte.
#include "tag/PlanningFileSystem.h"
#include "tag/TagBytes.h"
#include "tag/TagFile.h"

#include "OneShot.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const vantuke::TagCodec kCodec;

using namespace vantuke;
using tagtest::RemoveTag;
using tagtest::WriteTag;
using testsupport::AudioBytes;
using testsupport::MakeTag;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

QByteArray Enhanced(const QByteArray& song, const QByteArray& artist, const QByteArray& album) {
    const QByteArray block = testsupport::MakeEnhancedTag(song, artist, album);
    EXPECT_EQ(block.size(), kEnhancedTagSize);
    return block;
}

const QByteArray kTitle30 = "The first thirty bytes of a ti";
const QByteArray kArtist30 = "An artist with a name that goe";
const QByteArray kLyrics = "LYRICSBEGININD0000211EAL00005Hello000024LYRICS200";
const QByteArray kApe = QByteArray("APETAGEX") + QByteArray(24, '\x01');

QByteArray OldTag() {
    return MakeTag(kTitle30, kArtist30, "Album", "1999", "Comment", 17);
}

TTagRecord Parsed(const QByteArray& tag) {
    TTagRecord record;
    ParseTagFields(QByteArrayView(tag).sliced(kTagMarkerSize), record);
    return record;
}

TEST(TagBlockTest, WhatEndsAFile) {
    const QByteArray tag = OldTag();
    const QByteArray block = Enhanced("tle", "s on", "");
    const struct {
        const char* name;
        QByteArray end;
        TagEnd expected;
    } cases[] = {
        {"no tag", AudioBytes(400), {0, false, false}},
        {"a tag", AudioBytes(400) + tag, {128, false, false}},
        {"an Enhanced TAG block", AudioBytes(400) + block + tag, {355, true, false}},
        {"a block without its tag", AudioBytes(400) + block, {0, false, false}},
        {"too short for a block", block.right(100) + tag, {128, false, false}},
        {"Lyrics3v2", AudioBytes(400) + kLyrics + tag, {128, false, true}},
        {"Lyrics3v2 and Enhanced TAG", kLyrics + block + tag, {355, true, true}},
        {"APEv2", AudioBytes(400) + kApe + tag, {128, false, false}},
        {"only a tag", tag, {128, false, false}},
    };
    for (const auto& c : cases) {
        const TagEnd end =
            ReadTagEnd(QByteArrayView(c.end).last(std::min<qsizetype>(c.end.size(), kTagEndSize)));
        EXPECT_EQ(end.size, c.expected.size) << c.name;
        EXPECT_EQ(end.enhanced, c.expected.enhanced) << c.name;
        EXPECT_EQ(end.lyrics, c.expected.lyrics) << c.name;
    }
}

// A written field empties its continuation, a field that keeps its text keeps it, and every
// other byte of the block stays.
TEST(TagBlockTest, TheBlockAgreesWithTheFieldsWritten) {
    const QByteArray block = Enhanced("tle that goes on", "s on and on", "rest of album");
    const QByteArray end = block + OldTag();

    TTagRecord record = Parsed(OldTag());
    std::array<char, kTagSize + kEnhancedTagSize> out;
    ASSERT_EQ(BuildTagWrite(end, record, out.data()), kTagSize + kEnhancedTagSize);
    EXPECT_EQ(QByteArray(out.data(), out.size()), end) << "a tag written unchanged";
    EXPECT_EQ(ContinuationsLost(end, record, TagCodec{}), (std::array<int, 3>{0, 0, 0}));

    SetFieldText(record, TagField::SongName, "Another title", kCodec);
    SetFieldText(record, TagField::Album, "Album", kCodec); // the same text: kept
    SetTrack(record, 4, kCodec);
    EXPECT_EQ(ContinuationsLost(end, record, TagCodec{}), (std::array<int, 3>{16, 0, 0}));
    ASSERT_EQ(BuildTagWrite(end, record, out.data()), kTagSize + kEnhancedTagSize);
    EXPECT_EQ(QByteArray(out.data(), kEnhancedTagSize),
              Enhanced("", "s on and on", "rest of album"));
    EXPECT_EQ(QByteArray(out.data() + kEnhancedTagSize, kTagSize), BuildTag(record));

    // A file without a tag gets the tag alone, whatever ends it.
    ASSERT_EQ(BuildTagWrite(AudioBytes(100) + block, record, out.data()), kTagSize);
    EXPECT_EQ(QByteArray(out.data(), kTagSize), BuildTag(record));
}

// On disk: UnTAG cuts the Enhanced TAG block with the tag and nothing else; a write keeps the
// other blocks byte for byte.
TEST(TagBlockTest, OnDiskTheBlockGoesWithTheTagAndTheOthersStay) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    const QByteArray block = Enhanced("tle that goes on", "s on and on", "");
    TTagRecord record = Parsed(OldTag());
    SetFieldText(record, TagField::Artist, "Someone else", kCodec);

    const struct {
        const char* name;
        QByteArray before; // what stands between the audio and the tag
        QByteArray afterWrite;
        QByteArray afterRemove;
    } cases[] = {
        {"Enhanced TAG", block, Enhanced("tle that goes on", "", ""), ""},
        {"Lyrics3v2", kLyrics, kLyrics, kLyrics},
        {"APEv2", kApe, kApe, kApe},
        {"Lyrics3v2 and Enhanced TAG", kLyrics + block,
         kLyrics + Enhanced("tle that goes on", "", ""), kLyrics},
    };
    for (const auto& c : cases) {
        WriteFile(path, AudioBytes(1000) + c.before + OldTag());
        WriteTag(path, record);
        EXPECT_EQ(ReadFile(path), AudioBytes(1000) + c.afterWrite + BuildTag(record)) << c.name;
        DiskTagFile file(path, OpenMode::Read);
        EXPECT_EQ(file.LastBytes().toByteArray(), BuildTag(record)) << c.name;

        WriteFile(path, AudioBytes(1000) + c.before + OldTag());
        EXPECT_TRUE(RemoveTag(path));
        EXPECT_EQ(ReadFile(path), AudioBytes(1000) + c.afterRemove) << c.name;
    }
    // A block left without its tag is no tag's: it is neither cut nor changed.
    WriteFile(path, AudioBytes(1000) + block);
    EXPECT_FALSE(RemoveTag(path));
    WriteTag(path, record);
    EXPECT_EQ(ReadFile(path), AudioBytes(1000) + block + BuildTag(record));
}

// A dry run's model of the files does what the disk does.
TEST(TagBlockTest, TheModelOfADryRunCutsAndWritesAsTheDiskDoes) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    const QByteArray original = AudioBytes(1000) + Enhanced("tle", "s on", "") + OldTag();
    WriteFile(path, original);
    TTagRecord record = Parsed(OldTag());
    SetFieldText(record, TagField::SongName, "New", kCodec);

    DiskFileSystem disk;
    PlanningFileSystem model(disk, PlanningFileSystem::Opening::Look);
    {
        std::unique_ptr<TagFile> file = model.Open(path, OpenMode::Change);
        file->WriteTag(record);
        EXPECT_EQ(
            file->EndBytes().toByteArray(),
            (AudioBytes(1000) + Enhanced("", "s on", "") + BuildTag(record)).right(kTagEndSize));
    }
    {
        std::unique_ptr<TagFile> file = model.Open(path, OpenMode::Change);
        EXPECT_TRUE(file->RemoveTag());
        EXPECT_EQ(file->Stat().size, 1000);
        EXPECT_FALSE(file->HasTag());
    }
    EXPECT_EQ(ReadFile(path), original) << "the model wrote to the disk";
}

} // namespace
