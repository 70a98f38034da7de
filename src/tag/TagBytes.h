#pragma once

#include "tag/TagRecord.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace vantuke {

// The byte layout of an ID3v1 tag, the last 128 bytes of a file: "TAG", SongName (30),
// Artist (30), Album (30), Year (4), Comment (30), Genre (1). In an ID3v1.1 tag the comment's
// last two bytes are a NUL and the track (1 to 255): a NUL followed by 0 is no track. Works
// on bytes only.

inline constexpr qsizetype kTagSize = 128;
inline constexpr qsizetype kTagMarkerSize = 3;
// The fields behind the marker.
inline constexpr qsizetype kTagFieldsSize = kTagSize - kTagMarkerSize;

// The 128 bytes of a tag.
using RawTag = std::array<char, kTagSize>;

// True when the first three bytes, with a to z upper-cased (no other byte), read "TAG".
// Fewer than three bytes are no marker.
bool IsTagMarker(QByteArrayView bytes);

// Fills the record from the 125 bytes that follow the marker: ID3v1.1 (a track and a comment
// of 28 bytes) when byte 125 of the tag is 0 and byte 126 is not, else ID3v1.0 (no track, a
// comment of 30 bytes). Spaces that end a text field are dropped; NULs and the spaces before
// them stay. Fewer than 125 bytes fill nothing and return false.
bool ParseTagFields(QByteArrayView fields, TTagRecord& record);

// The 128 bytes of a tag: "TAG" (always upper case), each text field's bytes (no more than
// its room in the record) padded with NULs to its width, the track beside the comment when
// there is one, and the genre byte. A record with a track makes an ID3v1.1 tag, one without
// an ID3v1.0 tag.
QByteArray BuildTag(const TTagRecord& record);
// The same into out, which has room for 128 bytes.
void BuildTag(const TTagRecord& record, char* out);
// The record whose tag is exactly these 128 bytes: each text field holds all the bytes of its
// width, NULs included, so that BuildTag gives them back unchanged (a tag's marker is always
// written "TAG").
void RecordOfTag(const char* tag, TTagRecord& record);

// The blocks that may stand before the tag. An Enhanced TAG block ("TAG+") is the 227 bytes
// right before the tag and belongs to it: "TAG+", then 60 more bytes of the song name, the
// artist and the album (the characters that follow the tag's first 30 of each), speed (1),
// genre (30), start and end time (6 each). A Lyrics3v2 block ends in its size (6 digits) and
// "LYRICS200" right before the tag (or before its Enhanced TAG block); it needs the tag after
// it to be found. APEv2 and the like stand before these and are never touched.
inline constexpr qsizetype kEnhancedTagSize = 227;
// Room for what a write of a tag puts at a file's end (BuildTagWrite).
using TagWriteBytes = std::array<char, kTagSize + kEnhancedTagSize>;
inline constexpr QByteArrayView kEnhancedTagMarker = "TAG+";
inline constexpr QByteArrayView kLyrics3v2End = "LYRICS200";
// How many of a file's last bytes the tag and the blocks that go with it may take: what a
// change of the tag looks at.
inline constexpr qsizetype kTagEndSize = kTagSize + kEnhancedTagSize + kLyrics3v2End.size();
// The fields whose text an Enhanced TAG block continues, in its order.
inline constexpr std::array<TagField, 3> kContinuedFields{TagField::SongName, TagField::Artist,
                                                          TagField::Album};

// What ends a file, from its last bytes (the last kTagEndSize, or all of a shorter file).
struct TagEnd {
    // The bytes the tag takes with its Enhanced TAG block: 0 without a tag, 128, or 355.
    qsizetype size = 0;
    bool enhanced = false; // an Enhanced TAG block stands before the tag
    bool lyrics = false;   // a Lyrics3v2 block stands before them
};
TagEnd ReadTagEnd(QByteArrayView end);

// For each field of kContinuedFields, how many characters its continuation in the file's
// Enhanced TAG block holds that a write of the record takes away: a field whose text the
// record changes loses what followed it (read in codec's code page). All 0 when the file has
// no such block.
std::array<int, kContinuedFields.size()>
ContinuationsLost(QByteArrayView end, const TTagRecord& record, const TagCodec& codec);

// The bytes a write of the record puts at the end of a file whose last bytes are end, into
// out (room for kTagSize + kEnhancedTagSize); returns how many. A file with a tag has its last
// that many bytes replaced: the tag, and before it its Enhanced TAG block made to agree with
// the record (the continuation of each changed field emptied, every other byte kept). A file
// without a tag gets the 128 bytes of the tag appended.
qsizetype BuildTagWrite(QByteArrayView end, const TTagRecord& record, char* out);

} // namespace vantuke
