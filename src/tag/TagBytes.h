#pragma once

#include "tag/TagRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>

namespace vantuke {

// The byte layout of an ID3v1 tag, the last 128 bytes of a file: "TAG", SongName (30),
// Artist (30), Album (30), Year (4), Comment (30), Genre (1). Works on bytes only.

inline constexpr qsizetype kTagSize = 128;
inline constexpr qsizetype kTagMarkerSize = 3;
// The fields behind the marker.
inline constexpr qsizetype kTagFieldsSize = kTagSize - kTagMarkerSize;

// The 128 bytes of a tag.
using RawTag = std::array<char, kTagSize>;

// True when the first three bytes, with a to z upper-cased (no other byte), read "TAG".
// Fewer than three bytes are no marker.
bool IsTagMarker(QByteArrayView bytes);

// Fills the record from the 125 bytes that follow the marker. Spaces that end a text field
// are dropped; NULs and the spaces before them stay. Fewer than 125 bytes fill nothing and
// return false.
bool ParseTagFields(QByteArrayView fields, TTagRecord& record);

// The 128 bytes of a tag: "TAG" (always upper case), each text field's bytes (no more than
// its width) padded with NULs to its width, and the genre byte.
QByteArray BuildTag(const TTagRecord& record);
// The same into out, which has room for 128 bytes.
void BuildTag(const TTagRecord& record, char* out);
// The record whose tag is exactly these 128 bytes: each text field holds all the bytes of its
// width, NULs included, so that BuildTag gives them back unchanged (a tag's marker is always
// written "TAG").
void RecordOfTag(const char* tag, TTagRecord& record);

} // namespace vantuke
