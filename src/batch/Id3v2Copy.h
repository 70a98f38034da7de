#pragma once

#include "batch/BatchOptions.h"
#include "tag/Id3v2Values.h"
#include "tag/TagRecord.h"

namespace vantuke {

// A text of the ID3v2 tag as the ID3v1 tag takes it. A frame stored as ISO-8859-1 holds, more
// often than not, the bytes of the code page its writer's system used (Windows-1252 quotes
// and dashes, Windows-1251 Cyrillic): its bytes are read in the tag text code page when they
// are valid there, and so reach the ID3v1 tag unchanged. Every other text is taken as it is.
QString Id3v2TextIn(const Id3v2Text& text, const CodePage& page);

// Copies the ID3v2 values into the record: each field of the page set to "Copy" takes the
// value the ID3v2 tag has for it, encoded by codec and cut by the truncation rule (with
// losses, recording what each text lost). A field the ID3v2 tag has no value for keeps its
// bytes, and with onlyEmpty so does every field that is not empty: a text field whose first
// byte is not NUL, a track, a genre byte within the genre table.
void CopyId3v2Values(TTagRecord& record, const Id3v2Values& values, const Id3v2ToTagOptions& page,
                     const TagCodec& codec, FieldLosses* losses = nullptr);

} // namespace vantuke
