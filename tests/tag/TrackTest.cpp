// Track numbers: which tags are ID3v1.1, how a record with or without a track is written, and
// the comment's room beside a track.
#include "tag/TagBytes.h"
#include "tag/TagRecord.h"

#include <gtest/gtest.h>

namespace {

const vantuke::TagCodec kCodec;

using namespace vantuke;

// A tag whose comment bytes (97 to 126) are the given 30.
QByteArray TagWithComment(const QByteArray& comment30) {
    QByteArray tag = QByteArray("TAG") + QByteArray(94, '\0') + comment30 + '\x11';
    EXPECT_EQ(tag.size(), kTagSize);
    return tag;
}

TTagRecord Parsed(const QByteArray& tag) {
    TTagRecord record;
    EXPECT_TRUE(ParseTagFields(QByteArrayView(tag).sliced(kTagMarkerSize), record));
    return record;
}

TEST(TrackTest, ByteOneTwentyFiveZeroAndByteOneTwentySixNotZeroIsATrack) {
    const QByteArray text28 = QByteArray(27, 'c') + 'd';
    const struct {
        const char* name;
        QByteArray comment30; // bytes 97 to 126
        int track;
        QByteArray comment; // as the record holds it
    } cases[] = {
        {"v1.1", text28 + '\0' + '\x07', 7, text28},
        {"v1.1, track 255", text28 + '\0' + '\xFF', 255, text28},
        {"v1.1, short comment", QByteArray("Hi") + QByteArray(27, '\0') + '\x0C', 12,
         QByteArray("Hi") + QByteArray(26, '\0')},
        {"125 and 126 both 0: no track", text28 + QByteArray(2, '\0'), 0,
         text28 + QByteArray(2, '\0')},
        {"125 not 0: no track", text28 + 'e' + '\x07', 0, text28 + 'e' + '\x07'},
        {"30-byte comment", QByteArray(30, 'x'), 0, QByteArray(30, 'x')},
        {"29-byte comment", QByteArray(29, 'x') + '\0', 0, QByteArray(29, 'x') + '\0'},
        // Spaces end the 28 bytes of a v1.1 comment as they end any field.
        {"v1.1, space-padded", QByteArray("Hi") + QByteArray(26, ' ') + '\0' + '\x03', 3, "Hi"},
    };
    for (const auto& c : cases) {
        const QByteArray tag = TagWithComment(c.comment30);
        const TTagRecord record = Parsed(tag);
        EXPECT_EQ(record.Track, c.track) << c.name;
        EXPECT_EQ(record.Comment, c.comment) << c.name;
        EXPECT_EQ(record.Genre, 0x11) << c.name;
        if (!c.comment30.contains(' ')) {
            EXPECT_EQ(BuildTag(record), tag) << c.name << ": parse and build are not one";
        }
    }
}

TEST(TrackTest, ARecordWithATrackIsWrittenAsV11AndOneWithoutAsV10) {
    TTagRecord record;
    SetFieldText(record, TagField::Comment, QString(30, 'x'), kCodec);
    // No track: all 30 comment bytes are written, none is cut for a track that is not there.
    EXPECT_EQ(BuildTag(record), TagWithComment(QByteArray(30, 'x')).left(127) + '\0');

    FieldLosses losses;
    SetTrack(record, 9, kCodec, &losses);
    EXPECT_EQ(record.Comment, QByteArray(28, 'x'));
    EXPECT_EQ(losses.cut[size_t(TagField::Comment)], 2);
    EXPECT_EQ(BuildTag(record).mid(97, 30), QByteArray(28, 'x') + '\0' + '\x09');

    // Taking the track away leaves the 28 bytes and writes v1.0 again.
    SetTrack(record, 0, kCodec);
    EXPECT_EQ(record.Comment, QByteArray(28, 'x'));
    EXPECT_EQ(BuildTag(record).mid(97, 30), QByteArray(28, 'x') + QByteArray(2, '\0'));
    // Now the comment has 30 bytes of room again.
    SetFieldText(record, TagField::Comment, QString(30, 'y'), kCodec);
    EXPECT_EQ(record.Comment, QByteArray(30, 'y'));
}

// Beside a track the comment is cut by the rule every stored text goes through, and only
// characters count as lost: NUL padding read from a file is no loss.
TEST(TrackTest, TheCommentBesideATrackKeepsItsFirst28Bytes) {
    const struct {
        const char* name;
        QByteArray comment;
        QByteArray kept;
        int lost;
    } cases[] = {
        {"30 characters", QByteArray(30, 'a'), QByteArray(28, 'a'), 2},
        {"29 characters", QByteArray(29, 'a'), QByteArray(28, 'a'), 1},
        {"28 characters", QByteArray(28, 'a'), QByteArray(28, 'a'), 0},
        {"padding only", QByteArray("abc") + QByteArray(27, '\0'),
         QByteArray("abc") + QByteArray(25, '\0'), 0},
        {"one character behind the room", QByteArray(28, 'a') + 'b' + '\0', QByteArray(28, 'a'), 1},
    };
    for (const auto& c : cases) {
        TTagRecord record;
        SetFieldBytes(record, TagField::Comment, c.comment, kCodec);
        FieldLosses losses;
        SetTrack(record, 1, kCodec, &losses);
        EXPECT_EQ(record.Comment, c.kept) << c.name;
        EXPECT_EQ(losses.cut[size_t(TagField::Comment)], c.lost) << c.name;
        EXPECT_EQ(FieldCapacity(record, TagField::Comment), kCommentBesideTrack);
    }

    // A text stored beside a track is cut at once, and says so.
    TTagRecord record;
    SetTrack(record, 3, kCodec);
    FieldLosses losses;
    SetFieldText(record, TagField::Comment, QString(31, 'z'), kCodec, &losses);
    EXPECT_EQ(record.Comment, QByteArray(28, 'z'));
    EXPECT_EQ(losses.cut[size_t(TagField::Comment)], 3);
}

TEST(TrackTest, ATrackAsText) {
    const struct {
        const char* text;
        std::optional<int> track;
    } cases[] = {
        {"7", 7},
        {"07", 7},
        {"255", 255},
        {"0", 0},
        {"256", {}},
        {"", {}},
        {"-1", {}},
        {"+3", {}},
        {" 3", {}},
        {"3a", {}},
        {"٣", {}}, // an Arabic-Indic
                   // three
        {"0000000007", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrackFromText(QString::fromUtf8(c.text)), c.track) << c.text;
    EXPECT_EQ(TrackText(0), "");
    EXPECT_EQ(TrackText(12), "12");
}

TEST(TrackTest, ClearingAndCopyingCarryTheTrack) {
    TTagRecord record;
    SetTrack(record, 4, kCodec);
    TTagRecord copy;
    CopyValues(record, copy);
    EXPECT_EQ(copy.Track, 4);
    ClearTag(record);
    EXPECT_EQ(record.Track, 0);
    EXPECT_EQ(record, TTagRecord{});
}

} // namespace
