#include "tag/Id3v2Tag.h"

#include "platform/FileAccess.h"

#include "support/Id3v2Bytes.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <utility>

namespace {

using namespace vantuke;
using testsupport::Id3v2Encoding;
using testsupport::Id3v2FrameBytes;
using testsupport::Id3v2Layout;
using testsupport::Id3v2TagBytes;
using testsupport::MpegAudioBytes;

using Frames = QList<Id3v2FrameBytes>;

Id3v2FrameBytes Text(const char* id, const QStringList& values,
                     Id3v2Encoding encoding = Id3v2Encoding::Latin1) {
    return {id, testsupport::Id3v2TextContent(values, encoding)};
}

Id3v2FrameBytes Comment(const char* id, const QString& description, const QString& text,
                        const char* language = "eng") {
    return {id, testsupport::Id3v2CommentContent(description, text, language)};
}

// A file: the tag, then audio.
QByteArray WithAudio(const QByteArray& tag) {
    return tag + MpegAudioBytes(3000);
}

// Reads through a source that remembers how far into the file it was asked to read.
class WatchedBytes final : public ByteSource {
public:
    explicit WatchedBytes(QByteArray bytes) : bytes_(std::move(bytes)), source_(bytes_) {}
    qint64 Size() const override { return source_.Size(); }
    void ReadAt(qint64 pos, char* out, qint64 n) const override {
        furthest = std::max(furthest, pos + n);
        source_.ReadAt(pos, out, n);
    }
    mutable qint64 furthest = 0;

private:
    QByteArray bytes_;
    MemoryBytes source_;
};

Id3v2Reading Read(const QByteArray& file) {
    return ReadId3v2(MemoryBytes(file));
}

Id3v2Values ValuesOf(const QByteArray& tag) {
    const Id3v2Reading reading = Read(WithAudio(tag));
    EXPECT_EQ(reading.status, Id3v2Status::Read) << reading.problem.toStdString();
    return reading.values;
}

QString TextOf(const Id3v2Values& values, TagField field) {
    const std::optional<Id3v2Text>& text = values.Text(field);
    return text ? text->text : QStringLiteral("<none>");
}

// What a tag read in full gives, field by field.
struct Fields {
    QStringList texts; // in TagField order
    int track;
    int genre;
};

void ExpectRead(const QByteArray& tag, int major, const Fields& expected) {
    const Id3v2Reading reading = Read(WithAudio(tag));
    ASSERT_EQ(reading.status, Id3v2Status::Read) << reading.problem.toStdString();
    EXPECT_EQ(reading.major, major);
    for (const TagField field : kTextFields)
        EXPECT_EQ(TextOf(reading.values, field), expected.texts[int(field)]) << int(field);
    EXPECT_EQ(reading.values.track, expected.track);
    EXPECT_EQ(reading.values.genre, expected.genre);
    EXPECT_TRUE(reading.values.notes.isEmpty()) << reading.values.notes.join('|').toStdString();
}

// Every row of the ID3v1 tag, from tags of versions 2.2, 2.3 and 2.4.
TEST(Id3v2TagTest, EveryFieldComesFromItsFrameInEveryVersion) {
    ExpectRead(
        Id3v2TagBytes({Text("TT2", {"Song"}), Text("TP1", {"Artist"}), Text("TAL", {"Album"}),
                       Text("TYE", {"1987"}), Comment("COM", "", "Words"), Text("TRK", {"7"}),
                       Text("TCO", {"(8)"})},
                      {.major = 2}),
        2, {{"Song", "Artist", "Album", "1987", "Words"}, 7, 8});
    ExpectRead(
        Id3v2TagBytes({Text("TIT2", {"Song"}), Text("TPE1", {"Artist"}), Text("TALB", {"Album"}),
                       Text("TYER", {"2004"}), Comment("COMM", "", "Words"), Text("TRCK", {"3/12"}),
                       Text("TCON", {"(17)Rock"})},
                      {.major = 3}),
        3, {{"Song", "Artist", "Album", "2004", "Words"}, 3, 17});
    ExpectRead(
        Id3v2TagBytes({Text("TIT2", {"Song"}), Text("TPE1", {"Artist"}), Text("TALB", {"Album"}),
                       Text("TDRC", {"2004-05-01T10:00"}), Comment("COMM", "", "Words"),
                       Text("TRCK", {"3/12"}), Text("TCON", {"(17)Rock"})},
                      {.major = 4}),
        4, {{"Song", "Artist", "Album", "2004", "Words"}, 3, 17});
}

TEST(Id3v2TagTest, AFrameMissingOrEmptyGivesNothingForItsField) {
    const Id3v2Values values = ValuesOf(Id3v2TagBytes({Text("TIT2", {""}), Text("TALB", {"A"})}));
    EXPECT_FALSE(values.Text(TagField::SongName));
    EXPECT_FALSE(values.Text(TagField::Artist));
    EXPECT_EQ(TextOf(values, TagField::Album), "A");
    EXPECT_FALSE(values.Text(TagField::Year));
    EXPECT_FALSE(values.Text(TagField::Comment));
    EXPECT_FALSE(values.track);
    EXPECT_FALSE(values.genre);
    EXPECT_TRUE(values.notes.isEmpty());
}

TEST(Id3v2TagTest, SeveralArtistsAreJoinedWithASlash) {
    EXPECT_EQ(
        TextOf(ValuesOf(Id3v2TagBytes({Text("TPE1", {"Ann", "Bob", "Cy"})})), TagField::Artist),
        "Ann / Bob / Cy");
    // Two frames of one kind count as two values as well.
    EXPECT_EQ(TextOf(ValuesOf(Id3v2TagBytes({Text("TPE1", {"Ann"}), Text("TPE1", {"Bob"})},
                                            {.major = 3})),
                     TagField::Artist),
              "Ann / Bob");
}

TEST(Id3v2TagTest, TheYearComesFromTheFirstDateFrameThatHoldsOne) {
    const struct {
        int major;
        Frames frames;
        const char* year; // nullptr: none, and the note
        const char* note;
    } cases[] = {
        {4, {Text("TDRC", {"2004-05-01T10:00"})}, "2004", nullptr},
        {3, {Text("TYER", {"1999"}), Text("TDAT", {"0105"})}, "1999", nullptr},
        {3, {Text("TDAT", {"0105"}), Text("TYER", {"1999"})}, "1999", nullptr},
        {4, {Text("TDRC", {"98"}), Text("TYER", {"1990"})}, "1990", nullptr},
        {4, {Text("TYER", {"1990"})}, "1990", nullptr},
        // A full date where only day and month belong still gives its year.
        {3, {Text("TDAT", {"2001-02-03"})}, "2001", nullptr},
        {3, {Text("TDAT", {"0105"})}, nullptr, "Year not copied: TDAT \"0105\" is a day and month"},
        {4, {Text("TDAT", {"0105"})}, nullptr, "Year not copied: TDAT \"0105\" is a day and month"},
        {2, {Text("TDA", {"0105"})}, nullptr, "Year not copied: TDA \"0105\" is a day and month"},
        {4, {Text("TDRC", {"98"})}, nullptr, "Year not copied: TDRC \"98\" has no four-digit year"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.major << " " << c.frames.front().content.toStdString());
        const Id3v2Values values = ValuesOf(Id3v2TagBytes(c.frames, {.major = c.major}));
        if (c.year) {
            EXPECT_EQ(TextOf(values, TagField::Year), c.year);
            EXPECT_TRUE(values.notes.isEmpty());
        } else {
            EXPECT_FALSE(values.Text(TagField::Year));
            EXPECT_EQ(values.notes, QStringList{c.note});
        }
    }
}

TEST(Id3v2TagTest, TheCommentWithoutDescriptionWinsInAnyLanguage) {
    const struct {
        Frames frames;
        const char* comment;
    } cases[] = {
        {{Comment("COMM", "Notes", "described"), Comment("COMM", "", "plain", "deu")}, "plain"},
        {{Comment("COMM", "Notes", "described"), Comment("COMM", "Other", "second")}, "described"},
        {{Comment("COMM", "", "first", "fra"), Comment("COMM", "", "second")}, "first"},
        // Player data in comments is no comment for people.
        {{Comment("COMM", "iTunNORM", " 0000021C 00000228"), Comment("COMM", "Notes", "words")},
         "words"},
        {{Comment("COMM", "iTunSMPB", " 00000000 00000210")}, "<none>"},
        {{Comment("COMM", "", "line one\r\nline two")}, "line one line two"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextOf(ValuesOf(Id3v2TagBytes(c.frames)), TagField::Comment), c.comment);
        EXPECT_EQ(TextOf(ValuesOf(Id3v2TagBytes(c.frames, {.major = 3})), TagField::Comment),
                  c.comment);
    }
}

TEST(Id3v2TagTest, ATrackOrGenreTheId3v1TagCannotHoldIsNotedAndLeftOut) {
    const struct {
        Frames frames;
        int track;
        int genre;
        const char* note;
    } cases[] = {
        {{Text("TRCK", {"3/12"})}, 3, -1, nullptr},
        {{Text("TRCK", {"0"})}, 0, -1, "Track not copied: TRCK \"0\" is zero"},
        {{Text("TRCK", {"300/400"})}, 0, -1, "Track not copied: TRCK \"300/400\" is over 255"},
        {{Text("TCON", {"(17)"})}, 0, 17, nullptr},
        {{Text("TCON", {"17"})}, 0, 17, nullptr},
        {{Text("TCON", {"Rock"})}, 0, 17, nullptr},
        {{Text("TCON", {"(17)Rock"})}, 0, 17, nullptr},
        {{Text("TCON", {"(31)Goa Trance"})}, 0, 31, nullptr},
        {{Text("TCON", {"Shoegaze", "Rhythmic Soul"})}, 0, 118, nullptr},
        {{Text("TCON", {"Shoegaze"})}, 0, -1, "Genre not copied: \"Shoegaze\" has no ID3v1 number"},
        {{Text("TCON", {"(150)"})}, 0, -1, "Genre not copied: \"150\" has no ID3v1 number"},
    };
    for (const int major : {3, 4}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << major << " " << c.frames.front().content.toStdString());
            const Id3v2Values values = ValuesOf(Id3v2TagBytes(c.frames, {.major = major}));
            EXPECT_EQ(values.track.value_or(0), c.track);
            EXPECT_EQ(values.genre.value_or(-1), c.genre);
            EXPECT_EQ(values.notes, c.note ? QStringList{c.note} : QStringList());
        }
    }
}

TEST(Id3v2TagTest, TextsKeepTheirCharactersInEveryEncoding) {
    const QString greek = QString::fromUtf8("Ωmega – “ü”");
    for (const Id3v2Encoding encoding :
         {Id3v2Encoding::Utf16, Id3v2Encoding::Utf16BE, Id3v2Encoding::Utf8}) {
        const Id3v2Values values = ValuesOf(Id3v2TagBytes({Text("TIT2", {greek}, encoding)}));
        ASSERT_TRUE(values.Text(TagField::SongName));
        EXPECT_EQ(values.Text(TagField::SongName)->text, greek);
        EXPECT_FALSE(values.Text(TagField::SongName)->latin1);
    }
    // ISO-8859-1 frames give their bytes back, also those an older tool wrote in its own code
    // page (0x92 is a quote in Windows-1252, 0xE9 a letter in Windows-1251).
    const QByteArray bytes("Caf\xE9 \x92 x", 8);
    const Id3v2Values values = ValuesOf(Id3v2TagBytes(
        {{"TIT2", QByteArray(1, '\0') + bytes}, Text("TPE1", {"A"}, Id3v2Encoding::Utf8)}));
    ASSERT_TRUE(values.Text(TagField::SongName));
    EXPECT_TRUE(values.Text(TagField::SongName)->latin1);
    EXPECT_EQ(values.Text(TagField::SongName)->text.toLatin1(), bytes);
    EXPECT_FALSE(values.Text(TagField::Artist)->latin1);
}

TEST(Id3v2TagTest, UnsynchronisedTagsReadAsTheirPlainBytes) {
    // Bytes 0xFF 0xE0 and a final 0xFF are what unsynchronisation changes.
    const QString title = QString::fromLatin1("A\xFF\xE0 B\xFF");
    const QByteArray plain = testsupport::Id3v2TextContent({title});
    ASSERT_NE(testsupport::Unsynchronised(plain), plain);
    for (const int major : {2, 3, 4}) {
        SCOPED_TRACE(major);
        const QByteArray tag =
            Id3v2TagBytes({Text(major == 2 ? "TT2" : "TIT2", {title}),
                           Text(major == 2 ? "TP1" : "TPE1", {QString::fromLatin1("\xFF")})},
                          {.major = major, .unsynchronised = true});
        ASSERT_EQ(tag[5] & 0x80, 0x80);
        const Id3v2Values values = ValuesOf(tag);
        EXPECT_EQ(TextOf(values, TagField::SongName), title);
        EXPECT_EQ(TextOf(values, TagField::Artist), QString::fromLatin1("\xFF"));
    }
}

TEST(Id3v2TagTest, AnExtendedHeaderOrAFooterIsPassedOver) {
    const Frames frames{Text("TIT2", {"Song"}), Text("TPE1", {QString::fromLatin1("\xFF\xE0")})};
    const Id3v2Layout layouts[] = {
        {.major = 3, .extendedHeader = true},
        {.major = 3, .extendedHeader = true, .extendedHeaderCrc = true},
        {.major = 3, .unsynchronised = true, .extendedHeader = true, .padding = 20},
        {.major = 4, .extendedHeader = true},
        {.major = 4, .footer = true},
        {.major = 4, .unsynchronised = true, .extendedHeader = true, .footer = true},
    };
    for (const Id3v2Layout& layout : layouts) {
        SCOPED_TRACE(testing::Message()
                     << layout.major << layout.unsynchronised << layout.extendedHeaderCrc);
        const Id3v2Values values = ValuesOf(Id3v2TagBytes(frames, layout));
        EXPECT_EQ(TextOf(values, TagField::SongName), "Song");
        EXPECT_EQ(TextOf(values, TagField::Artist), QString::fromLatin1("\xFF\xE0"));
    }
}

TEST(Id3v2TagTest, TagsWrittenByTagLibReadBack) {
    TagLib::ID3v2::Tag tag;
    tag.setTitle(TagLib::String("Sóng", TagLib::String::UTF8));
    tag.setAlbum("Album");
    tag.setTrack(12);
    tag.setYear(1994);
    auto* artists = new TagLib::ID3v2::TextIdentificationFrame("TPE1", TagLib::String::UTF16);
    artists->setText(TagLib::StringList().append("Ann").append("Bob"));
    tag.addFrame(artists);
    auto* described = new TagLib::ID3v2::CommentsFrame();
    described->setDescription("Notes");
    described->setText("described");
    tag.addFrame(described);
    auto* plain = new TagLib::ID3v2::CommentsFrame();
    plain->setLanguage("deu");
    plain->setText("plain");
    tag.addFrame(plain);
    tag.setGenre("Thrash Metal");
    for (const auto version : {TagLib::ID3v2::v3, TagLib::ID3v2::v4}) {
        SCOPED_TRACE(int(version));
        const TagLib::ByteVector rendered = tag.render(version);
        ExpectRead(QByteArray(rendered.data(), qsizetype(rendered.size())), int(version),
                   {{QString::fromUtf8("Sóng"), "Ann / Bob", "Album", "1994", "plain"}, 12, 144});
    }
}

TEST(Id3v2TagTest, AFileWithoutATagSaysSo) {
    const QByteArray files[] = {
        MpegAudioBytes(3000),
        QByteArray("ID3\x03", 4),
        QByteArray("ID3\x03\0\0\0\0\0", 9),
        QByteArray(),
        QByteArray("TAG") + QByteArray(125, ' '),
    };
    for (const QByteArray& file : files) {
        const Id3v2Reading reading = Read(file);
        EXPECT_EQ(reading.status, Id3v2Status::Absent) << file.size();
        EXPECT_EQ(Id3v2ProblemLine(reading), "No ID3v2 tag, file left as it is");
    }
}

TEST(Id3v2TagTest, ATagThatCannotBeReadSaysWhy) {
    const QByteArray good = Id3v2TagBytes({Text("TIT2", {"Song"})}, {.major = 3, .padding = 100});
    const auto withHeader = [&](int at, char byte) {
        QByteArray tag = good;
        tag[at] = byte;
        return WithAudio(tag);
    };
    QByteArray garbage = Id3v2TagBytes({}, {.padding = 40});
    garbage.replace(10, 40, QByteArray(40, 'x'));
    QByteArray extended =
        Id3v2TagBytes({Text("TIT2", {"Song"})}, {.major = 3, .extendedHeader = true});
    extended[13] = '\x7F'; // the extended header claims more than the tag holds
    const struct {
        QByteArray file;
        const char* problem;
    } cases[] = {
        {good.first(good.size() - 20), "cut short by the end of the file"},
        {withHeader(3, 5), "unknown version 2.5.0"},
        {withHeader(4, '\xFF'), "unknown version 2.3.255"},
        {withHeader(8, '\x80'), "damaged header"},
        {WithAudio(Id3v2TagBytes({Text("TT2", {"x"})}, {.major = 2, .extendedHeader = true})),
         "compressed"},
        {WithAudio(QByteArray("ID3\x04\0\0\x7F\x7F\x7F\x7F", 10)), "larger than 64 MiB"},
        {WithAudio(garbage), "no frame can be read"},
        {WithAudio(extended), "damaged extended header"},
    };
    for (const auto& c : cases) {
        const Id3v2Reading reading = Read(c.file);
        EXPECT_EQ(reading.status, Id3v2Status::Unreadable) << c.problem;
        EXPECT_EQ(reading.problem, c.problem);
        EXPECT_EQ(
            Id3v2ProblemLine(reading),
            QStringLiteral("ID3v2 tag cannot be read (%1), file left as it is").arg(c.problem));
    }
}

TEST(Id3v2TagTest, ATagOfPaddingOnlyOrWithACutFrameIsRead) {
    EXPECT_EQ(Read(WithAudio(Id3v2TagBytes({}, {.padding = 50}))).status, Id3v2Status::Read);
    // The second frame claims more bytes than the tag has left: the first still counts.
    QByteArray tag = Id3v2TagBytes({Text("TIT2", {"Song"}), Text("TALB", {"Album"})});
    const qsizetype album = tag.indexOf("TALB");
    tag[album + 7] = '\x7F';
    const Id3v2Reading reading = Read(WithAudio(tag));
    ASSERT_EQ(reading.status, Id3v2Status::Read);
    EXPECT_EQ(TextOf(reading.values, TagField::SongName), "Song");
    EXPECT_EQ(Id3v2ProblemLine(reading), "");
}

TEST(Id3v2TagTest, ReadingReadsTheTagAndNotTheAudio) {
    const Frames frames{Text("TIT2", {"Song"}), Comment("COMM", "", "Words")};
    const Id3v2Layout layouts[] = {
        {.major = 3, .padding = 500},
        {.major = 4, .footer = true},
        {.major = 3, .unsynchronised = true, .extendedHeader = true},
    };
    for (const Id3v2Layout& layout : layouts) {
        const QByteArray tag = Id3v2TagBytes(frames, layout);
        WatchedBytes file(WithAudio(tag));
        EXPECT_EQ(ReadId3v2(file).status, Id3v2Status::Read);
        EXPECT_EQ(file.furthest, tag.size());
    }
    WatchedBytes audio(MpegAudioBytes(3000));
    EXPECT_EQ(ReadId3v2(audio).status, Id3v2Status::Absent);
    EXPECT_EQ(audio.furthest, kId3v2HeaderSize);
}

TEST(Id3v2TagTest, TheVersionColumnReadsOnlyTheFirstTenBytes) {
    const struct {
        QByteArray file;
        const char* version;
    } cases[] = {
        {WithAudio(Id3v2TagBytes({Text("TT2", {"x"})}, {.major = 2})), "2.2"},
        {WithAudio(Id3v2TagBytes({Text("TIT2", {"x"})}, {.major = 3})), "2.3"},
        {WithAudio(Id3v2TagBytes({Text("TIT2", {"x"})}, {.major = 4})), "2.4"},
        {WithAudio(QByteArray("ID3\x05\0\0\0\0\0\x10", 10)), ""},
        {MpegAudioBytes(3000), ""},
        {QByteArray("ID3\x03\0\0\0\0\0", 9), ""},
    };
    for (const auto& c : cases) {
        WatchedBytes file(c.file);
        EXPECT_EQ(ReadId3v2Version(file), c.version);
        EXPECT_LE(file.furthest, kId3v2HeaderSize);
    }
}

TEST(Id3v2TagTest, FilesAreReadThroughTheFileLayer) {
    testsupport::TempDir dir;
    const QString path = dir.Path("song.mp3");
    const QByteArray tag = Id3v2TagBytes({Text("TIT2", {"On disk"})}, {.major = 3});
    testsupport::WriteFile(path, WithAudio(tag));
    const OpenFile file(path, OpenMode::Read);
    const OpenFileBytes bytes(file);
    EXPECT_EQ(ReadId3v2Version(bytes), "2.3");
    EXPECT_EQ(TextOf(ReadId3v2(bytes).values, TagField::SongName), "On disk");

    testsupport::WriteFile(dir.Path("short.mp3"), "ID3");
    const OpenFile shortFile(dir.Path("short.mp3"), OpenMode::Read);
    EXPECT_EQ(ReadId3v2Version(OpenFileBytes(shortFile)), "");
    EXPECT_EQ(ReadId3v2(OpenFileBytes(shortFile)).status, Id3v2Status::Absent);
}

} // namespace
