#include "FuzzSupport.h"
#include "convert/PathNames.h"
#include "support/ReplaceByRule.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;
using testsupport::ReplaceByRule;

namespace {} // namespace

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
