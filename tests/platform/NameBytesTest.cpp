// Names read from the system come back as the same bytes, whatever they hold.
#include "platform/NameBytes.h"

#include <QHash>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace vantuke;

namespace {

struct NameCase {
    const char* what;
    QByteArray bytes;
    QString text;
};

} // namespace

TEST(NameBytes, DecodesValidUtf8AndEscapesEveryOtherByte) {
    const NameCase cases[] = {
        {"ascii", "Artist - Title.mp3", u"Artist - Title.mp3"_qs},
        {"utf-8", "Caf\xC3\xA9.mp3", u"Caf\u00E9.mp3"_qs},
        {"latin-1 byte", "Caf\xE9.mp3",
         QStringLiteral("Caf") + QChar(0xDCE9) + QStringLiteral(".mp3")},
        {"four-byte sequence", "\xF0\x9F\x8E\xB5", QString::fromUcs4(U"\U0001F3B5")},
        {"stray continuation", "a\x80z", QStringLiteral("a") + QChar(0xDC80) + QStringLiteral("z")},
        {"overlong slash", "\xC0\xAF", QString(QChar(0xDCC0)) + QChar(0xDCAF)},
        {"encoded surrogate", "\xED\xB3\xA9",
         QString(QChar(0xDCED)) + QChar(0xDCB3) + QChar(0xDCA9)},
        {"cut-short sequence", "\xE2\x82", QString(QChar(0xDCE2)) + QChar(0xDC82)},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80",
         QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80)},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(NameFromBytes(c.bytes), c.text) << c.what;
        bool ok = false;
        EXPECT_EQ(NameToBytes(c.text, &ok), c.bytes) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
}

TEST(NameBytes, AnyByteStringRoundTripsAndDistinctNamesStayDistinct) {
    QRandomGenerator random(20261208);
    QHash<QString, QByteArray> seen;
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(random.bounded(1, 12), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(1, 256));
        const QString text = NameFromBytes(bytes);
        ASSERT_EQ(NameToBytes(text), bytes);
        const auto it = seen.constFind(text);
        if (it != seen.constEnd()) {
            ASSERT_EQ(*it, bytes) << "two names decoded to one text";
        }
        seen.insert(text, bytes);
    }
}

TEST(NameBytes, TextNoByteStandsForIsRefused) {
    for (const char16_t lone : {char16_t(0xD800), char16_t(0xDC10), char16_t(0xDD00)}) {
        bool ok = true;
        NameToBytes(QStringLiteral("a") + QChar(lone), &ok);
        EXPECT_FALSE(ok) << int(lone);
    }
}
