#pragma once

#include "tag/TagRecord.h"

#include <QByteArray>
#include <QByteArrayView>

namespace vantuke {

// The byte layout of an ID3v1 tag, the last 128 bytes of a file: "TAG", SongName (30),
// Artist (30), Album (30), Year (4), Comment (30), Genre (1). In an ID3v1.1 tag the comment's
// last two bytes are a NUL and the track (1 to 255): a NUL followed by 0 is no track. Works
// on bytes only.

inline constexpr qsizetype kTagSize = 128;
inline constexpr qsizetype kTagMarkerSize = 3;
// The fields behind the marker.
inline constexpr qsizetype kTagFieldsSize = kTagSize - kTagMarkerSize;

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

} // namespace vantuke
