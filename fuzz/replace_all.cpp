#include "FuzzSupport.h"
#include "convert/PathNames.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

namespace {

// The scan rule step by step on the 1-based text, replacing in place; a resume position
// before the start is the start. Quadratic, so only for short texts.
QString ReplaceByRule(QString text, const QString& what, const QString& with) {
    const qsizetype l = what.size();
    const qsizetype m = with.size();
    if (l == 0 && m == 0)
        return text;
    qsizetype k = 1;
    while (k <= text.size() - l + 1) {
        if (text.mid(k - 1, l) == what) {
            text.replace(k - 1, l, with);
            k = std::max<qsizetype>(1, k + m - l + 1);
        } else {
            ++k;
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString what = fuzzsupport::Text(input.ConsumeRandomLengthString(10));
    const QString with = fuzzsupport::Text(input.ConsumeRandomLengthString(10));
    const QString original = fuzzsupport::Text(input.ConsumeRemainingBytesAsString());

    QString text = original;
    ReplaceAll(text, what, with);

    if (what.isEmpty())
        FUZZ_CHECK(text.size() == original.size() * (with.size() + 1) + with.size());
    else if (with.isEmpty())
        FUZZ_CHECK(!text.contains(what));
    if (!original.contains(what))
        FUZZ_CHECK(text == original);
    if (original.size() <= 2000)
        FUZZ_CHECK(text == ReplaceByRule(original, what, with));
    return 0;
}
