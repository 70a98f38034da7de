#include "tag/CodePage.h"

#include "platform/NameBytes.h"
#include "tag/Transliteration.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

namespace vantuke {

namespace {

// In the table of single bytes: the byte may start a longer character.
constexpr char16_t kLead = 0xFFFF;
// What a sequence of the page decodes to, by its last byte; 0 where it is no character.
using Row = std::array<char16_t, 256>;
// No later byte of a character of several bytes is below this in any page.
constexpr int kFirstLast = 0x30;

// What a character the page lacks becomes without transliteration.
constexpr char kReplacement = '?';

constexpr CodePage::Info kPages[] = {
    {"windows-1250", "Windows-1250", "Central European", CodePage::Kind::SingleByte, 0},
    {"windows-1251", "Windows-1251", "Cyrillic", CodePage::Kind::SingleByte, 0},
    {"windows-1252", "Windows-1252", "Western", CodePage::Kind::SingleByte, 0},
    {"windows-1253", "Windows-1253", "Greek", CodePage::Kind::SingleByte, 0},
    {"windows-1254", "Windows-1254", "Turkish", CodePage::Kind::SingleByte, 0},
    {"windows-1255", "Windows-1255", "Hebrew", CodePage::Kind::SingleByte, 0},
    {"windows-1256", "Windows-1256", "Arabic", CodePage::Kind::SingleByte, 0},
    {"windows-1257", "Windows-1257", "Baltic", CodePage::Kind::SingleByte, 0},
    {"windows-1258", "Windows-1258", "Vietnamese", CodePage::Kind::SingleByte, 0},
    {"ISO-8859-1", "ISO-8859-1", "Western", CodePage::Kind::SingleByte, 0},
    {"ISO-8859-2", "ISO-8859-2", "Central European", CodePage::Kind::SingleByte, 0},
    {"ISO-8859-5", "ISO-8859-5", "Cyrillic", CodePage::Kind::SingleByte, 0},
    {"ISO-8859-7", "ISO-8859-7", "Greek", CodePage::Kind::SingleByte, 0},
    {"ISO-8859-9", "ISO-8859-9", "Turkish", CodePage::Kind::SingleByte, 0},
    {"ISO-8859-15", "ISO-8859-15", "Western", CodePage::Kind::SingleByte, 0},
    {"KOI8-R", "KOI8-R", "Russian", CodePage::Kind::SingleByte, 0},
    {"KOI8-U", "KOI8-U", "Ukrainian", CodePage::Kind::SingleByte, 0},
    {"IBM866", "IBM866", "Cyrillic DOS", CodePage::Kind::SingleByte, 0},
    {"GBK", "GBK", "Chinese Simplified", CodePage::Kind::MultiByte, 0},
    {"Big5", "Big5", "Chinese Traditional", CodePage::Kind::MultiByte, 0},
    {"Shift_JIS", "Shift_JIS", "Japanese", CodePage::Kind::MultiByte, 0},
    {"EUC-JP", "EUC-JP", "Japanese", CodePage::Kind::MultiByte, 0x8F},
    {"EUC-KR", "EUC-KR", "Korean", CodePage::Kind::MultiByte, 0},
    {"UTF-8", "UTF-8", "Unicode", CodePage::Kind::Utf8, 0},
};
constexpr int kDefaultPage = 2; // windows-1252

// A byte from 0x80 on that starts no character stands in the text as U+DC00 + byte, as in
// file names (NameBytes.h).
QChar Escaped(quint8 byte) {
    return QChar(char16_t(kEscapeBase + byte));
}

// Asks Qt's converters which byte sequences are characters of a page. A sequence is a
// character when it decodes to one UTF-16 unit other than U+FFFD and that unit encodes to
// exactly the sequence again. (For some bytes it does not map, ICU gives the substitute
// U+001A, which encodes to another byte.)
class Probe {
public:
    explicit Probe(const char* name)
        : decoder_(name, QStringConverter::Flag::Stateless),
          encoder_(name, QStringConverter::Flag::Stateless) {
        if (!decoder_.isValid() || !encoder_.isValid())
            qFatal("Code page %s missing: Qt was built without ICU", name);
    }

    // The character of each sequence prefix + last, for last from first to 255; 0 where it
    // is none. The sequences are converted together, each followed by a line feed: that is
    // a character of every page and never part of a longer one, so it keeps them apart
    // whatever the converter makes of a sequence. Should the pieces not come out one per
    // sequence, each goes on its own.
    Row Characters(QByteArrayView prefix, int first) {
        Row row{};
        QByteArray joined;
        joined.reserve((prefix.size() + 2) * (256 - first));
        std::array<quint8, 256> lasts;
        int count = 0;
        for (int last = first; last < 256; ++last) {
            if (last == '\n') {
                row[last] = One(prefix, last);
                continue;
            }
            joined += prefix;
            joined += char(last);
            joined += '\n';
            lasts[count++] = quint8(last);
        }
        const QString decoded = decoder_.decode(joined);
        QString characters;
        characters.reserve(2 * count);
        std::array<quint8, 256> candidates;
        int found = 0;
        qsizetype at = 0;
        int piece = 0;
        for (; piece < count; ++piece) {
            const qsizetype end = decoded.indexOf(u'\n', at);
            if (end < 0)
                break;
            if (end - at == 1 && decoded[at] != QChar(QChar::ReplacementCharacter)) {
                characters += decoded[at];
                characters += u'\n';
                candidates[found++] = lasts[piece];
            }
            at = end + 1;
        }
        if (piece != count || at != decoded.size())
            return OneByOne(prefix, lasts, count, row);
        const QByteArray encoded = encoder_.encode(characters);
        at = 0;
        for (int c = 0; c < found; ++c) {
            const qsizetype end = encoded.indexOf('\n', at);
            if (end < 0)
                return OneByOne(prefix, lasts, count, row);
            const QByteArrayView back = QByteArrayView(encoded).sliced(at, end - at);
            if (back.size() == prefix.size() + 1 && back.startsWith(prefix) &&
                quint8(back.back()) == candidates[c])
                row[candidates[c]] = characters[2 * c].unicode();
            at = end + 1;
        }
        return row;
    }

private:
    Row& OneByOne(QByteArrayView prefix, const std::array<quint8, 256>& lasts, int count,
                  Row& row) {
        for (int k = 0; k < count; ++k)
            row[lasts[k]] = One(prefix, lasts[k]);
        return row;
    }

    char16_t One(QByteArrayView prefix, int last) {
        const QByteArray sequence = prefix.toByteArray() + char(last);
        const QString text = decoder_.decode(sequence);
        if (text.size() != 1 || text.front() == QChar(QChar::ReplacementCharacter) ||
            encoder_.encode(text) != sequence)
            return 0;
        return text.front().unicode();
    }

    QStringDecoder decoder_;
    QStringEncoder encoder_;
};

} // namespace

struct CodePage::Tables {
    std::once_flag singleBuilt;
    // What each byte on its own decodes to: a character, an escape, or kLead.
    std::array<char16_t, 256> single{};
    bool asciiSame = true; // bytes 0 to 127 are ASCII
    // The characters of two bytes, by first byte; of three, by second (after tripleLead).
    // Built as first met, under the mutex.
    std::array<std::atomic<const Row*>, 256> rows{};
    std::array<std::atomic<const Row*>, 256> thirds{};
    std::mutex mutex;
    std::optional<Probe> probe; // under the mutex
    std::vector<std::unique_ptr<Row>> owned;
    // By UTF-16 unit: the byte count << 24 | the bytes, first byte highest; 0 for a
    // character the page lacks. Built on the first encoding.
    std::once_flag encodeBuilt;
    std::vector<quint32> encode;
};

CodePage::CodePage(const Info& info) : info_(info), tables_(std::make_unique<Tables>()) {}

CodePage::~CodePage() = default;

QString CodePage::HumanName() const {
    return QStringLiteral("%1 (%2)").arg(QLatin1String(info_.region), ShownName());
}

const CodePage::Tables& CodePage::Built() const {
    Tables& t = *tables_;
    std::call_once(t.singleBuilt, [&] {
        if (info_.kind == Kind::Utf8)
            return;
        const Row found = Probe(info_.name).Characters({}, 0);
        for (int byte = 0; byte < 256; ++byte) {
            // Every page has a character for each byte below 0x80; were one missing, the byte
            // would stand for itself, which keeps it all the same.
            if (found[byte] != 0 || byte < 0x80)
                t.single[byte] = found[byte] != 0 ? found[byte] : char16_t(byte);
            else
                t.single[byte] =
                    info_.kind == Kind::MultiByte ? kLead : Escaped(quint8(byte)).unicode();
            if (byte < 0x80 && t.single[byte] != byte)
                t.asciiSame = false;
        }
    });
    return t;
}

namespace {

// The row of the sequences that start with the lead byte (and the second byte, for those
// of three), built once under the tables' mutex.
template <typename Tables>
const Row& RowOf(Tables& t, std::atomic<const Row*>& slot, const char* pageName, quint8 lead,
                 int second = -1) {
    if (const Row* row = slot.load(std::memory_order_acquire))
        return *row;
    std::lock_guard lock(t.mutex);
    if (const Row* row = slot.load(std::memory_order_relaxed))
        return *row;
    if (!t.probe)
        t.probe.emplace(pageName);
    QByteArray prefix(1, char(lead));
    if (second >= 0)
        prefix += char(second);
    auto row = std::make_unique<Row>(t.probe->Characters(prefix, kFirstLast));
    slot.store(row.get(), std::memory_order_release);
    t.owned.push_back(std::move(row));
    return *t.owned.back();
}

} // namespace

char16_t CodePage::Sequence(QByteArrayView bytes, qsizetype at, int& length) const {
    Tables& t = *tables_;
    const quint8 lead = quint8(bytes[at]);
    length = 1;
    if (at + 1 < bytes.size()) {
        const quint8 second = quint8(bytes[at + 1]);
        if (lead != info_.tripleLead) {
            const Row& row = RowOf(t, t.rows[lead], info_.name, lead);
            if (const char16_t c = row[second]) {
                length = 2;
                return c;
            }
        } else if (at + 2 < bytes.size()) {
            const Row& row = RowOf(t, t.thirds[second], info_.name, lead, second);
            if (const char16_t c = row[quint8(bytes[at + 2])]) {
                length = 3;
                return c;
            }
        }
    }
    return Escaped(lead).unicode();
}

int CodePage::CharacterLength(QByteArrayView bytes, qsizetype at) const {
    if (info_.kind == Kind::Utf8)
        return std::max(1, Utf8SequenceLength(bytes, at));
    if (Built().single[quint8(bytes[at])] != kLead)
        return 1;
    int length;
    Sequence(bytes, at, length);
    return length;
}

void CodePage::AppendText(QString& out, QByteArrayView bytes) const {
    if (info_.kind == Kind::Utf8) {
        out += NameFromBytes(bytes);
        return;
    }
    const Tables& t = Built();
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    QChar* to = out.data() + at;
    if (info_.kind == Kind::SingleByte) {
        // A hot path of a file list refill: one look-up per byte.
        for (qsizetype k = 0; k < bytes.size(); ++k)
            to[k] = t.single[quint8(bytes[k])];
        return;
    }
    qsizetype written = 0;
    for (qsizetype k = 0; k < bytes.size();) {
        const char16_t single = t.single[quint8(bytes[k])];
        int length = 1;
        to[written++] = single != kLead ? single : Sequence(bytes, k, length);
        k += length;
    }
    out.resize(at + written);
}

QString CodePage::Text(QByteArrayView bytes) const {
    QString text;
    AppendText(text, bytes);
    return text;
}

bool CodePage::IsValid(QByteArrayView bytes) const {
    if (info_.kind == Kind::Utf8) {
        for (qsizetype k = 0; k < bytes.size();) {
            const int length = Utf8SequenceLength(bytes, k);
            if (length == 0)
                return false;
            k += length;
        }
        return true;
    }
    const Tables& t = Built();
    for (qsizetype k = 0; k < bytes.size();) {
        const char16_t single = t.single[quint8(bytes[k])];
        int length = 1;
        if (EscapedByte(QChar(single != kLead ? single : Sequence(bytes, k, length))) >= 0)
            return false;
        k += length;
    }
    return true;
}

bool CodePage::CoversEveryByte() const {
    if (info_.kind != Kind::SingleByte)
        return false;
    const Tables& t = Built();
    return std::none_of(t.single.begin(), t.single.end(),
                        [](char16_t c) { return EscapedByte(QChar(c)) >= 0; });
}

CodePage::Encoded CodePage::Encode(QStringView text, bool transliterate) const {
    Encoded out;
    if (info_.kind == Kind::Utf8) {
        out.replaced = !AppendNameBytes(out.bytes, text);
        return out;
    }
    const Tables& t = Built();
    std::call_once(tables_->encodeBuilt, [&] {
        Tables& tables = *tables_;
        std::vector<quint32>& encode = tables.encode;
        encode.assign(0x10000, 0);
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t c = t.single[byte];
            if (c != kLead && EscapedByte(QChar(c)) < 0)
                encode[c] = 1u << 24 | quint32(byte);
        }
        if (info_.kind != Kind::MultiByte)
            return;
        // Every character of the page: each row is built.
        const auto invert = [&](const Row& row, quint32 prefix, quint32 length) {
            for (int last = 0; last < 256; ++last) {
                if (row[last] != 0)
                    encode[row[last]] = length << 24 | prefix << 8 | quint32(last);
            }
        };
        for (int lead = 0x80; lead < 256; ++lead) {
            if (t.single[lead] != kLead)
                continue;
            if (lead == info_.tripleLead) {
                for (int second = 0x80; second < 256; ++second)
                    invert(RowOf(tables, tables.thirds[second], info_.name, quint8(lead), second),
                           quint32(lead) << 8 | quint32(second), 3);
            } else {
                invert(RowOf(tables, tables.rows[lead], info_.name, quint8(lead)), quint32(lead),
                       2);
            }
        }
    });
    const std::vector<quint32>& encode = tables_->encode;
    out.bytes.reserve(text.size() * (IsMultiByte() ? 2 : 1));
    const auto encodable = [&](QChar c) {
        return EscapedByte(c) >= 0 || (!c.isSurrogate() && encode[c.unicode()] != 0);
    };
    for (qsizetype k = 0; k < text.size();) {
        const QChar c = text[k];
        if (c.unicode() < 0x80 && t.asciiSame) {
            out.bytes += char(c.unicode());
            ++k;
        } else if (const int byte = EscapedByte(c); byte >= 0) {
            out.bytes += char(byte);
            ++k;
        } else if (const quint32 code = c.isSurrogate() ? 0 : encode[c.unicode()]; code != 0) {
            for (int shift = int(code >> 24) - 1; shift >= 0; --shift)
                out.bytes += char((code >> (8 * shift)) & 0xFF);
            ++k;
        } else {
            qsizetype end = k + 1;
            while (end < text.size() && !encodable(text[end]))
                ++end;
            EncodeLacking(text.sliced(k, end - k), transliterate, out);
            k = end;
        }
    }
    return out;
}

void CodePage::EncodeLacking(QStringView run, bool transliterate, Encoded& out) const {
    if (transliterate) {
        const QString latin = LatinTransliteration(run);
        if (latin != run) {
            out.transliterated = true;
            // The transliteration holds only characters the page has, or else none of the
            // run: "?" then stands for each of them.
            const Encoded again = Encode(latin, false);
            out.bytes += again.bytes;
            out.replaced = out.replaced || again.replaced;
            return;
        }
    }
    out.replaced = true;
    for (qsizetype k = 0; k < run.size(); ++k) {
        if (run[k].isHighSurrogate() && k + 1 < run.size() && run[k + 1].isLowSurrogate())
            ++k;
        out.bytes += kReplacement;
    }
}

const QList<const CodePage*>& CodePages() {
    static const std::vector<std::unique_ptr<CodePage>> owned = [] {
        std::vector<std::unique_ptr<CodePage>> pages;
        for (const CodePage::Info& info : kPages)
            pages.push_back(std::make_unique<CodePage>(info));
        return pages;
    }();
    static const QList<const CodePage*> pages = [] {
        QList<const CodePage*> list;
        for (const auto& page : owned)
            list.append(page.get());
        return list;
    }();
    return pages;
}

const CodePage& DefaultCodePage() {
    return *CodePages()[kDefaultPage];
}

const CodePage* FindCodePage(QStringView name) {
    for (const CodePage* page : CodePages()) {
        if (name.compare(page->Name(), Qt::CaseInsensitive) == 0)
            return page;
    }
    return nullptr;
}

QString CodePageNames() {
    QStringList names;
    for (const CodePage* page : CodePages())
        names << page->Name();
    return names.join(QStringLiteral(", "));
}

} // namespace vantuke
