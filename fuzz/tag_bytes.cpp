// The tag's byte layout: any bytes are a marker or not, parse and build never fail, a build
// is always 128 bytes, and a tag whose fields end in no space comes back byte for byte.
#include "FuzzSupport.h"
#include "tag/TagBytes.h"

using namespace vantuke;

namespace {

// True when no text field of the tag ends in a space (parse drops those, build pads NULs).
bool NoFieldEndsInASpace(QByteArrayView tag) {
    qsizetype offset = kTagMarkerSize;
    for (const TagField field : kTextFields) {
        offset += FieldCapacity(field);
        if (tag[offset - 1] == ' ')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool marker = IsTagMarker(bytes);
    FUZZ_CHECK(!marker || bytes.size() >= kTagMarkerSize);

    TTagRecord record;
    const bool parsed =
        bytes.size() >= kTagMarkerSize && ParseTagFields(bytes.sliced(kTagMarkerSize), record);
    FUZZ_CHECK(parsed == (bytes.size() >= kTagSize));
    if (!parsed)
        return 0;
    for (const TagField field : kTextFields) {
        FUZZ_CHECK(record.Field(field).size() <= FieldCapacity(field));
        FUZZ_CHECK(!record.Field(field).endsWith(' '));
    }

    const QByteArray built = BuildTag(record);
    FUZZ_CHECK(built.size() == kTagSize);
    FUZZ_CHECK(IsTagMarker(built));
    const QByteArrayView tag = bytes.first(kTagSize);
    if (tag.startsWith("TAG") && NoFieldEndsInASpace(tag))
        FUZZ_CHECK(built == tag);

    // Built once, a tag reads back to the same record and builds to the same bytes.
    TTagRecord again;
    FUZZ_CHECK(ParseTagFields(QByteArrayView(built).sliced(kTagMarkerSize), again));
    FUZZ_CHECK(BuildTag(again) == built);
    return 0;
}
