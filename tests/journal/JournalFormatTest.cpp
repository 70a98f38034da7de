// The journal's records: what is written is read back, and a journal cut off or damaged
// anywhere is read up to its last whole record.
#include "journal/JournalFormat.h"
#include "platform/NameBytes.h"

#include <gtest/gtest.h>

using namespace vantuke;

namespace {

ChangeRecord Change(quint32 sequence, ChangeKind kind) {
    ChangeRecord change;
    change.sequence = sequence;
    change.kind = kind;
    change.device = 0x1234567890ull;
    change.inode = 0xFEDCBA9876543210ull;
    // A name that is not UTF-8 keeps its bytes.
    change.path = NameFromBytes("/music/Caf\xE9 %d.mp3");
    change.size = 5128;
    change.mode = 0100444;
    change.atimeNsec = 1700000000123456789LL;
    change.mtimeNsec = -5;
    if (kind == ChangeKind::Rename)
        change.newPath = QStringLiteral("/music/Artist - Title.mp3");
    if (kind == ChangeKind::WriteTag || kind == ChangeKind::RemoveTag)
        change.oldLast = QByteArray(128, char(sequence));
    if (kind == ChangeKind::WriteTag)
        change.newLast = QByteArray("TAG") + QByteArray(125, '\0');
    change.newSize = 5000;
    change.newMode = 0100644;
    return change;
}

struct Journal {
    QByteArray bytes;
    qsizetype headerEnd = 0;
    QList<qsizetype> recordEnds; // where each record after the header ends
};

Journal WholeJournal() {
    Journal journal;
    AppendJournalStart(journal.bytes, RunHeader{1765200000000, QStringLiteral("TAG>Filename"), 7});
    journal.headerEnd = journal.bytes.size();
    const ChangeKind kinds[] = {ChangeKind::ClearReadOnly, ChangeKind::WriteTag,
                                ChangeKind::RemoveTag, ChangeKind::Rename};
    quint32 sequence = 0;
    for (const ChangeKind kind : kinds) {
        AppendChangeRecord(journal.bytes, Change(++sequence, kind));
        journal.recordEnds.append(journal.bytes.size());
    }
    AppendDoneRecord(journal.bytes, 1, 3);
    journal.recordEnds.append(journal.bytes.size());
    AppendEndRecord(journal.bytes, RunEnd{1, 4});
    journal.recordEnds.append(journal.bytes.size());
    return journal;
}

TEST(JournalFormat, RecordsComeBackAsWritten) {
    const std::optional<JournalContents> read = ParseJournal(WholeJournal().bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->header, (RunHeader{1765200000000, QStringLiteral("TAG>Filename"), 7}));
    ASSERT_EQ(read->changes.size(), 4);
    EXPECT_EQ(read->changes.at(0), Change(1, ChangeKind::ClearReadOnly));
    EXPECT_EQ(read->changes.at(1), Change(2, ChangeKind::WriteTag));
    EXPECT_EQ(read->changes.at(2), Change(3, ChangeKind::RemoveTag));
    EXPECT_EQ(read->changes.at(3), Change(4, ChangeKind::Rename));
    EXPECT_EQ(NameToBytes(read->changes.at(0).path), QByteArray("/music/Caf\xE9 %d.mp3"));
    EXPECT_EQ(read->done, (QList<quint32>{1, 2, 3}));
    EXPECT_EQ(read->end, (RunEnd{1, 4}));
    EXPECT_FALSE(read->damaged);
}

// The bytes a change keeps, mostly NULs in a tag, come back exactly whatever their runs: runs
// longer than a count can hold, NULs at either end, none at all.
TEST(JournalFormat, BytesComeBackWhateverTheirRunsOfNuls) {
    QByteArray mixed;
    for (int n = 0; n < 700; ++n)
        mixed += (n % 7 == 0 || n % 11 == 0) ? '\0' : char('a' + n % 26);
    const QByteArray cases[] = {
        {},
        QByteArray(1, '\0'),
        QByteArray(300, '\0'),
        QByteArray(600, 'x'),
        QByteArray("TAG") + QByteArray(125, '\0'),
        QByteArray(9, '\0') + "Song" + QByteArray(17, '\0') + QByteArray(258, 'y') + "z",
        mixed,
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        ChangeRecord change = Change(1, ChangeKind::WriteTag);
        change.oldLast = bytes;
        QByteArray journal;
        AppendJournalStart(journal, RunHeader{1, QStringLiteral("TAG"), 1});
        AppendChangeRecord(journal, change);
        const std::optional<JournalContents> read = ParseJournal(journal);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->changes.size(), 1);
        EXPECT_EQ(read->changes.at(0).oldLast, bytes);
        EXPECT_FALSE(read->damaged);
    }
    // A tag of short texts takes far less room than its 128 bytes.
    QByteArray small;
    AppendChangeRecord(small, Change(1, ChangeKind::RemoveTag));
    QByteArray tagged;
    ChangeRecord sparse = Change(1, ChangeKind::RemoveTag);
    sparse.oldLast = QByteArray("TAG") + "Song" + QByteArray(26, '\0') + "Band" +
                     QByteArray(26, '\0') + QByteArray(65, '\0');
    AppendChangeRecord(tagged, sparse);
    EXPECT_LT(tagged.size(), small.size() - 100);
}

// A crash may stop a write anywhere: every cut inside a record leaves the records before it.
TEST(JournalFormat, JournalCutAnywhereIsReadUpToItsLastWholeRecord) {
    const Journal journal = WholeJournal();
    // The records after the header: four changes, the done mark, the closing record.
    for (qsizetype record = 0; record < journal.recordEnds.size(); ++record) {
        const qsizetype start = record == 0 ? journal.headerEnd : journal.recordEnds.at(record - 1);
        const qsizetype end = journal.recordEnds.at(record);
        for (const qsizetype cut : {start + 1, start + 4, start + 8, (start + end) / 2, end - 1}) {
            SCOPED_TRACE(testing::Message() << "record " << record << ", cut at " << cut);
            const std::optional<JournalContents> read = ParseJournal(journal.bytes.first(cut));
            ASSERT_TRUE(read);
            EXPECT_TRUE(read->damaged);
            EXPECT_EQ(read->changes.size(), std::min<qsizetype>(record, 4));
            EXPECT_EQ(read->done.size(), record > 4 ? 3 : 0);
            EXPECT_FALSE(read->end);
        }
    }
}

TEST(JournalFormat, DamagedRecordEndsTheReading) {
    Journal journal = WholeJournal();
    // One byte changed in the third change's payload: its checksum no longer fits.
    journal.bytes[journal.recordEnds.at(2) - 10] ^= 0x40;
    const std::optional<JournalContents> read = ParseJournal(journal.bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->changes.size(), 2);
    EXPECT_TRUE(read->done.isEmpty());
    EXPECT_TRUE(read->damaged);
}

TEST(JournalFormat, NoJournalWithoutMagicAndHeader) {
    const QByteArray bytes = WholeJournal().bytes;
    EXPECT_FALSE(ParseJournal(QByteArray()));
    EXPECT_FALSE(ParseJournal(bytes.first(kJournalMagic.size() + 10)));
    QByteArray other = bytes;
    other[0] = 'X';
    EXPECT_FALSE(ParseJournal(other));
    EXPECT_FALSE(ParseJournalHeader(other));
    EXPECT_EQ(ParseJournalHeader(bytes.first(200))->caption, QStringLiteral("TAG>Filename"));
}

TEST(JournalFormat, ClosingRecordIsReadFromTheEnd) {
    const QByteArray bytes = WholeJournal().bytes;
    EXPECT_EQ(ParseEndRecord(bytes.last(kEndRecordSize)), (RunEnd{1, 4}));
    // The last bytes of a journal without its closing record are no closing record.
    const qsizetype withoutEnd = bytes.size() - kEndRecordSize;
    EXPECT_FALSE(ParseEndRecord(bytes.first(withoutEnd).last(kEndRecordSize)));
}

// The plain bit-by-bit CRC-32, to check the table-driven one against.
quint32 BitwiseCrc32(QByteArrayView bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

TEST(JournalFormat, Crc32IsTheCommonOne) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
    EXPECT_EQ(Crc32(""), 0u);
    // Every length and alignment the eight-byte steps and the bytes after them meet.
    QByteArray bytes;
    for (int n = 0; n < 300; ++n)
        bytes.append(char((n * 131 + 7) ^ (n >> 3)));
    for (qsizetype start = 0; start < 8; ++start) {
        for (qsizetype size = 0; size + start <= bytes.size(); size += 13)
            EXPECT_EQ(Crc32(bytes.sliced(start, size)), BitwiseCrc32(bytes.sliced(start, size)))
                << start << " " << size;
    }
}

} // namespace

namespace {

// A playlist's whole old bytes go into its record: one larger than any change record comes
// back whole, and one cut off is not read.
TEST(JournalFormat, PlaylistRecordsKeepAWholePlaylist) {
    PlaylistRecord playlist;
    playlist.path = NameFromBytes("/music/Caf\xE9.m3u");
    playlist.oldBytes = QByteArray(3 << 20, '\n');
    playlist.oldBytes.replace(0, 9, "#EXTM3U\r\n");
    playlist.newSize = 42;
    playlist.newDigest = PlaylistDigest("new bytes");
    QByteArray journal;
    AppendJournalStart(journal, RunHeader{1, QStringLiteral("Adjust FileName"), 1});
    AppendChangeRecord(journal, Change(1, ChangeKind::Rename));
    AppendPlaylistRecord(journal, playlist);

    const std::optional<JournalContents> read = ParseJournal(journal);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->playlists.size(), 1);
    EXPECT_EQ(read->playlists.at(0), playlist);
    EXPECT_EQ(read->changes.size(), 1);
    EXPECT_EQ(PlaylistDigest("new bytes").size(), 32);

    const std::optional<JournalContents> cut = ParseJournal(journal.chopped(1));
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->playlists.isEmpty());
    EXPECT_TRUE(cut->damaged);
}

} // namespace
