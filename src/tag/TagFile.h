#pragma once

#include "tag/TagRecord.h"

#include <QString>

namespace vantuke {

// Operations on the ID3v1 tag at the end of one file. Each opens and closes the file itself
// and moves the 128 bytes in one block. Every file-system failure throws IoError; a file
// shorter than 128 bytes fails at the positioning step ("I/O error 22").

// True when the three bytes at size - 128, with a-z upper-cased, read "TAG".
bool TagPresent(const QString& path);
// Fills the record from the tag without checking the marker. Spaces that end a field are
// removed; NULs stay.
void ReadTag(const QString& path, TTagRecord& record);
// TagPresent and ReadTag with one open: false (record untouched) when there is no tag.
bool ReadTagIfPresent(const QString& path, TTagRecord& record);
// Writes "TAG" and the record's fields NUL-padded over the existing tag, or appends one.
// An append that fails part-way cuts the file back to its old size.
void WriteTag(const QString& path, const TTagRecord& record);
// As WriteTag, when the caller already knows whether the file holds a tag.
void WriteTag(const QString& path, const TTagRecord& record, bool tagPresent);
// Shortens the file by its last 128 bytes, without checking the marker.
void RemoveTag(const QString& path);
// Gives a read-only file its owner's write permission back when eraseReadOnlyAttr is on.
// Never fails.
void ClearReadOnly(const QString& path, bool eraseReadOnlyAttr);

} // namespace vantuke
