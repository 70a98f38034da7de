#include "tag/AudioCheck.h"

#include "platform/AsciiCase.h"

#include <optional>

namespace vantuke {

namespace {

bool IsId3v2Header(QByteArrayView bytes) {
    const std::optional<Id3v2Header> header = ParseId3v2Header(bytes);
    return header && header->major >= 2 && header->major <= 4 && header->revision != 0xFF &&
           header->bodySize >= 0;
}

bool IsFrameHeader(QByteArrayView bytes) {
    if (bytes.size() < 4)
        return false;
    const quint8 b1 = quint8(bytes[1]);
    const quint8 b2 = quint8(bytes[2]);
    const quint8 b3 = quint8(bytes[3]);
    const int version = (b1 >> 3) & 3; // 1 is reserved
    const int layer = (b1 >> 1) & 3;   // 0 is reserved
    const int bitRate = b2 >> 4;       // 0 free, 15 bad
    const int sampleRate = (b2 >> 2) & 3;
    const int emphasis = b3 & 3;
    return quint8(bytes[0]) == 0xFF && (b1 & 0xE0) == 0xE0 && version != 1 && layer != 0 &&
           bitRate != 0 && bitRate != 15 && sampleRate != 3 && emphasis != 2;
}

} // namespace

bool BeginsLikeMpegAudio(QByteArrayView bytes) {
    return IsId3v2Header(bytes) || IsFrameHeader(bytes);
}

bool HasMp3Name(QStringView path) {
    return EndsWithIgnoringAsciiCase(path, u".mp3");
}

bool IsMp3File(const QString& path, FileSystem& files) {
    return HasMp3Name(path) || BeginsLikeMpegAudio(files.FirstBytes(path, kAudioStartSize));
}

} // namespace vantuke
