#pragma once

#include "tag/FileSystem.h"
#include "tag/Id3v2Tag.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vantuke {

// A process that writes or cuts a tag, or renames a file to an MP3 name, changes only MP3
// files: a tag appended to a picture or a playlist would damage it.

// How many bytes BeginsLikeMpegAudio looks at: an ID3v2 header (a frame header is shorter).
inline constexpr qsizetype kAudioStartSize = kId3v2HeaderSize;

// True when bytes begin like MPEG audio:
// - an ID3v2 header: "ID3", a version 2.2, 2.3 or 2.4 (a revision other than 0xFF), a flags
//   byte, and four size bytes below 0x80 each;
// - or an MPEG audio frame header: the 11 sync bits set, an MPEG version (1, 2 or 2.5) and a
//   layer (I, II or III) that are not the reserved values, a bit-rate index that is neither
//   free (0) nor bad (15), a sample-rate index that is not reserved (3), and an emphasis that
//   is not reserved (2).
bool BeginsLikeMpegAudio(QByteArrayView bytes);

// True when a path's name ends in ".mp3", in any letter case of a to z.
bool HasMp3Name(QStringView path);

// True when a process may change the file: its name ends in ".mp3", or it begins like MPEG
// audio. Only a file of another name is read, and a file that cannot be read is no MP3 file.
bool IsMp3File(const QString& path, FileSystem& files);

} // namespace vantuke
