// The tag's byte layout: any bytes are a marker or not, parse and build never fail, a build
// is always 128 bytes, a tag is ID3v1.1 exactly when byte 125 is 0 and byte 126 is not, and a
// tag (v1.0 or v1.1) whose fields end in no space comes back byte for byte.
#include "FuzzSupport.h"
#include "tag/TagBytes.h"

using namespace vantuke;

namespace {

// True when no text field of the tag ends in a space (parse drops those, build pads NULs): a
// field ends where its room in the record ends (the comment beside a track: 28 bytes).
bool NoFieldEndsInASpace(QByteArrayView tag, const TTagRecord& record) {
    qsizetype offset = kTagMarkerSize;
    for (const TagField field : kTextFields) {
        if (tag[offset + FieldCapacity(record, field) - 1] == ' ')
            return false;
        offset += FieldCapacity(field);
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
    const bool v11 = bytes[125] == '\0' && bytes[126] != '\0';
    FUZZ_CHECK(record.Track == (v11 ? quint8(bytes[126]) : 0));
    for (const TagField field : kTextFields) {
        FUZZ_CHECK(record.Field(field).size() <= FieldCapacity(record, field));
        FUZZ_CHECK(!record.Field(field).endsWith(' '));
    }

    const QByteArray built = BuildTag(record);
    FUZZ_CHECK(built.size() == kTagSize);
    FUZZ_CHECK(IsTagMarker(built));
    FUZZ_CHECK((built[125] == '\0' && built[126] != '\0') == v11);
    const QByteArrayView tag = bytes.first(kTagSize);
    if (tag.startsWith("TAG") && NoFieldEndsInASpace(tag, record))
        FUZZ_CHECK(built == tag);

    // Built once, a tag reads back to the same record and builds to the same bytes.
    TTagRecord again;
    FUZZ_CHECK(ParseTagFields(QByteArrayView(built).sliced(kTagMarkerSize), again));
    FUZZ_CHECK(BuildTag(again) == built);
    return 0;
}
