#include "FuzzSupport.h"
#include "tag/CodePage.h"
#include "tag/TagRecord.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const TagCodec codec = fuzzsupport::Codec(input.ConsumeIntegral<quint8>(), input.ConsumeBool());
    const CodePage& page = codec.Page();
    const int capacity = input.ConsumeIntegralInRange(0, 40);
    const std::string raw = input.ConsumeRandomLengthString(64);
    const QByteArray bytes(raw.data(), qsizetype(raw.size()));
    const QString typed = fuzzsupport::Text(input.ConsumeRemainingBytesAsString());

    // Decoding keeps every byte: encoding the text gives the bytes back, nothing replaced.
    const QString text = page.Text(bytes);
    const CodePage::Encoded back = page.Encode(text, codec.transliterate);
    FUZZ_CHECK(back.bytes == bytes && !back.replaced && !back.transliterated);

    // The cut keeps a prefix up to the capacity that ends at a character boundary: what it
    // keeps decodes to a prefix of the whole text.
    QByteArray cut = bytes;
    const FieldCut lost = CutToCapacity(cut, capacity, page);
    FUZZ_CHECK(cut.size() <= capacity || bytes.size() <= capacity);
    FUZZ_CHECK(bytes.startsWith(cut));
    FUZZ_CHECK(text.startsWith(page.Text(cut)));
    FUZZ_CHECK((lost.lost > 0) == (cut.size() < bytes.size()));
    if (lost.lost > 0)
        FUZZ_CHECK(page.Text(cut).size() <= text.size());

    // A typed text encodes to bytes that read back as it, unless characters were replaced.
    const CodePage::Encoded encoded = page.Encode(typed, codec.transliterate);
    if (!encoded.replaced && !encoded.transliterated)
        FUZZ_CHECK(page.Text(encoded.bytes) == typed);
    FUZZ_CHECK(page.Encode(page.Text(encoded.bytes), false).bytes == encoded.bytes);
    return 0;
}
