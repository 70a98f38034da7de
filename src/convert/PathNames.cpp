#include "convert/PathNames.h"

#include "convert/ProgramOptions.h"
#include "platform/AsciiCase.h"

#include <QStringView>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace vantuke {

namespace {

// The nine characters Windows refuses in a name, and the control characters 1 to 31 and 127,
// which no new name may hold either; by ASCII code.
constexpr std::array<bool, 128> kUnsafeInFileName = [] {
    std::array<bool, 128> unsafe{};
    for (int c = 1; c <= 31; ++c)
        unsafe[c] = true;
    unsafe[127] = true;
    for (const char c : {'"', '*', '/', ':', '<', '>', '?', '\\', '|'})
        unsafe[std::size_t(c)] = true;
    return unsafe;
}();

bool IsUnsafeInFileName(QChar c) {
    return c.unicode() < kUnsafeInFileName.size() && kUnsafeInFileName[c.unicode()];
}

constexpr QStringView kMp3Ending = u".mp3";

} // namespace

qsizetype FileNameStart(QStringView path) {
    qsizetype start = path.size();
    while (start > 0 && path[start - 1] != u'/')
        --start;
    return start;
}

QString FilePathOf(const QString& path) {
    return path.left(FileNameStart(path));
}

bool EndsWithMp3(QStringView path) {
    return EndsWithIgnoringAsciiCase(path, kMp3Ending);
}

QString FileTitleOf(const QString& path) {
    const qsizetype start = FileNameStart(path);
    const qsizetype end = EndsWithMp3(path) ? path.size() - kMp3Ending.size() : path.size();
    return path.sliced(start, end - start);
}

QString ExtensionText(int extensionFormat) {
    // Made once: every renamed file and every %9 asks for one.
    static const auto kForms = [] {
        std::array<QString, kExtensionForms.size()> forms;
        for (std::size_t i = 0; i < forms.size(); ++i)
            forms[i] = QLatin1String(kExtensionForms[i]);
        return forms;
    }();
    return kForms[ClampOptionPosition(extensionFormat)];
}

// After a replacement at position k the scan resumes at k + len(with) - len(what) + 1, so the
// tail of the inserted text (and, when with is much shorter than what, some text before it) is
// scanned again. The text is kept as two parts: `done`, everything before the scan position,
// and `pending[next..]`, everything from it on. A match consumes len(what) characters of
// `pending` and gives back at most len(what) - 1 of them for rescanning, written into the room
// the match freed; so `next` moves forward on every step and the loop ends. A resume position
// before the start of the text is taken as the start.
void ReplaceAll(QString& text, const QString& what, const QString& with) {
    const qsizetype whatSize = what.size();
    const qsizetype withSize = with.size();
    if (whatSize == 0) {
        if (withSize == 0)
            return;
        QString result;
        result.reserve(text.size() * (withSize + 1) + withSize);
        for (QChar c : std::as_const(text)) {
            result += with;
            result += c;
        }
        result += with;
        text = std::move(result);
        return;
    }

    QString done;
    done.reserve(text.size());
    QString pending = text;
    QChar* buffer = pending.data();
    const qsizetype size = pending.size();
    qsizetype next = 0;
    while (size - next >= whatSize) {
        if (QStringView(buffer + next, whatSize) != QStringView(what)) {
            done += buffer[next];
            ++next;
            continue;
        }
        const qsizetype resume = withSize - whatSize + 1;
        qsizetype rescan = 0; // characters to put back in front of pending[next + whatSize..]
        if (resume >= 0) {
            done.append(with.constData(), resume);
            rescan = withSize - resume;
            std::copy_n(with.constData() + resume, rescan, buffer + next + whatSize - rescan);
        } else {
            const qsizetype stepBack = std::min(-resume, done.size());
            rescan = stepBack + withSize;
            QChar* front = buffer + next + whatSize - rescan;
            std::copy_n(done.constData() + done.size() - stepBack, stepBack, front);
            std::copy_n(with.constData(), withSize, front + stepBack);
            done.chop(stepBack);
        }
        next += whatSize - rescan;
    }
    done.append(buffer + next, size - next);
    text = std::move(done);
}

namespace {

bool BreaksStatusLine(char16_t u) {
    return u <= 0x1F || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

} // namespace

namespace {

// True when one of the four UTF-16 units packed in word is not printable ASCII (0x20 to
// 0x7E). Only then need the units be looked at one by one.
bool AnyOutsidePrintableAscii(quint64 word) {
    constexpr quint64 kOnes = 0x0001000100010001ull;
    constexpr quint64 kBit7 = 0x0080008000800080ull;
    if (word & 0xFF80FF80FF80FF80ull) // a unit of 0x80 or more
        return true;
    // Every unit is below 0x80 now, so adding to it cannot carry into the next one.
    return (~(word + 0x60 * kOnes) & kBit7) != 0 // below 0x20
           || ((word + kOnes) & kBit7) != 0;     // 0x7F
}

} // namespace

void ShowInOneLine(QString& text, qsizetype from) {
    const char16_t* const chars = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    qsizetype k = from;
    // Four units at a time while they are all printable ASCII, as paths and tags nearly
    // always are.
    for (quint64 word; k + 4 <= size; k += 4) {
        std::memcpy(&word, chars + k, sizeof word);
        if (AnyOutsidePrintableAscii(word))
            break;
    }
    for (; k < size; ++k) {
        if (!BreaksStatusLine(chars[k]))
            continue;
        // Detaches only when a character is replaced.
        QChar* const begin = text.data();
        for (QChar* c = begin + k; c != begin + size; ++c) {
            if (BreaksStatusLine(c->unicode()))
                *c = u'?';
        }
        return;
    }
}

QString ShownInOneLine(const QString& text) {
    QString shown = text;
    ShowInOneLine(shown, 0);
    return shown;
}

QString CleanFileName(const QString& name) {
    QString result = name;
    CleanFileName(result, 0);
    return result;
}

void CleanFileName(QString& text, qsizetype from) {
    QChar* const begin = text.data();
    QChar* const end = begin + text.size();
    for (QChar* c = begin + from; c != end; ++c) {
        if (IsUnsafeInFileName(*c))
            *c = u' ';
    }
}

} // namespace vantuke
