#include "platform/NameDisplay.h"

#include "platform/NameBytes.h"

namespace vantuke {

namespace {

// Windows-1252 for the bytes 0x80 to 0x9F; from 0xA0 on it agrees with Latin-1.
constexpr char16_t kUndefined = 0xFFFD;
constexpr char16_t kHighControls[32] = {
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x2026,     0x2020,     0x2021,     0x02C6,
    0x2030,     0x0160,     0x2039, 0x0152, kUndefined, 0x017D,     kUndefined, kUndefined,
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D,     0x2022,     0x2013,     0x2014,
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153,     kUndefined, 0x017E,     0x0178,
};

QChar Windows1252(int byte) {
    return byte < 0xA0 ? QChar(kHighControls[byte - 0x80]) : QChar(char16_t(byte));
}

} // namespace

QString NameForDisplay(QStringView text) {
    QString shown = text.toString();
    for (QChar& c : shown) {
        if (const int byte = EscapedByte(c); byte >= 0)
            c = Windows1252(byte);
    }
    return shown;
}

} // namespace vantuke
