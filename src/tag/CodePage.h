#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <memory>

namespace vantuke {

// A code page the texts of a tag may be in. ID3v1 has no field for its encoding: a tag is in
// the code page of the machine that wrote it, and the user says which.
//
// Decoding never loses a byte: a byte that starts no character of the page becomes the lone
// surrogate U+DC00 + byte, as in file names (NameBytes.h), and encoding turns it back into
// that byte. Every character of the page has exactly one byte sequence (a sequence the page
// would write differently, a duplicate, counts as no character and is escaped too), so
// decoding any bytes and encoding the text gives back exactly those bytes, in every page.
// The conversion tables come from Qt's converters, built as each page is first used; a page
// is safe to use from several threads.
class CodePage {
public:
    enum class Kind { SingleByte, MultiByte, Utf8 };
    struct Info {
        const char* name;   // as Qt, the settings file and the command line know it
        const char* shown;  // as notes write it
        const char* region; // the script or language it serves
        Kind kind;
        quint8 tripleLead; // the byte that starts three-byte characters (EUC-JP), else 0
    };

    explicit CodePage(const Info& info);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    // "windows-1251", "GBK": the name settings and the command line take.
    QString Name() const { return QLatin1String(info_.name); }
    // "Windows-1251", as notes name it.
    QString ShownName() const { return QLatin1String(info_.shown); }
    // "Cyrillic (Windows-1251)", as the Options dialog lists it.
    QString HumanName() const;
    // More than one byte to some characters: a field is then cut at a character boundary.
    bool IsMultiByte() const { return info_.kind != Kind::SingleByte; }

    // Appends the text of all the bytes (NULs included).
    void AppendText(QString& out, QByteArrayView bytes) const;
    QString Text(QByteArrayView bytes) const;
    // True when every byte belongs to a character of the page: none would be escaped.
    bool IsValid(QByteArrayView bytes) const;
    // True when every byte on its own is a character, so that any bytes are valid.
    bool CoversEveryByte() const;
    // How many bytes the character at bytes[at] takes; 1 for a byte that starts none.
    int CharacterLength(QByteArrayView bytes, qsizetype at) const;

    // A text as bytes of the page. An escaped byte becomes that byte. A character the page
    // lacks becomes "?", or with transliterate its Latin transliteration (whose characters
    // the page lacks still become "?").
    struct Encoded {
        QByteArray bytes;
        bool replaced = false;       // a character became "?"
        bool transliterated = false; // a character was transliterated
    };
    Encoded Encode(QStringView text, bool transliterate) const;

private:
    struct Tables;
    const Tables& Built() const;
    // The character of several bytes at bytes[at] (the byte there may start one), with its
    // length; the escape of that byte, length 1, when it starts none.
    char16_t Sequence(QByteArrayView bytes, qsizetype at, int& length) const;
    void EncodeLacking(QStringView run, bool transliterate, Encoded& out) const;

    Info info_;
    std::unique_ptr<Tables> tables_;
};

// Every code page offered, in the order the Options dialog lists them: Windows-1250 to 1258,
// ISO-8859-1, -2, -5, -7, -9, -15, KOI8-R, KOI8-U, IBM866, GBK, Big5, Shift_JIS, EUC-JP,
// EUC-KR, UTF-8.
const QList<const CodePage*>& CodePages();
// Windows-1252, the page of a first start.
const CodePage& DefaultCodePage();
// The page of a name, in any letter case; null when none has it.
const CodePage* FindCodePage(QStringView name);
// Every page's name, joined by ", ", for messages about a name none has.
QString CodePageNames();

// How the texts of tags are read and written: the code page, and whether a character it
// lacks is transliterated rather than written as "?".
struct TagCodec {
    const CodePage* page = &DefaultCodePage();
    bool transliterate = false;

    const CodePage& Page() const { return *page; }
    bool operator==(const TagCodec&) const = default;
};

} // namespace vantuke
