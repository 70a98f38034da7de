#include "tag/Transliteration.h"

#include <unicode/utrans.h>

#include <memory>

namespace vantuke {

namespace {

struct CloseTransliterator {
    void operator()(UTransliterator* transliterator) const { utrans_close(transliterator); }
};
using Transliterator = std::unique_ptr<UTransliterator, CloseTransliterator>;

Transliterator OpenTransliterator() {
    static const char16_t id[] = u"Any-Latin; Latin-ASCII";
    UParseError where;
    UErrorCode status = U_ZERO_ERROR;
    Transliterator transliterator(
        utrans_openU(id, -1, UTRANS_FORWARD, nullptr, 0, &where, &status));
    if (U_FAILURE(status))
        qFatal("ICU transliterator missing: %s", u_errorName(status));
    return transliterator;
}

} // namespace

QString LatinTransliteration(QStringView text) {
    // A transliterator is not to be shared between threads, and costs much to open: each
    // thread opens one when it first needs it.
    thread_local const Transliterator transliterator = OpenTransliterator();
    QString result = text.toString();
    // Transliteration may lengthen the text several times over ("Щ" is "Shch").
    int32_t capacity = int32_t(text.size()) * 8 + 16;
    for (;;) {
        result.resize(capacity);
        const QStringView source = text;
        std::copy(source.begin(), source.end(), result.begin());
        int32_t length = int32_t(text.size());
        int32_t limit = length;
        UErrorCode status = U_ZERO_ERROR;
        utrans_transUChars(transliterator.get(), reinterpret_cast<UChar*>(result.data()), &length,
                           capacity, 0, &limit, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            capacity *= 2;
            continue;
        }
        if (U_FAILURE(status))
            return text.toString();
        result.resize(length);
        return result;
    }
}

} // namespace vantuke
