// Reading an ID3v2 tag: any bytes at a file's start give a result and never a crash, reading
// never goes past the tag the header announces (nor past the end of the file), and what the
// tag gives fits an ID3v1 tag.
#include "FuzzSupport.h"
#include "tag/Id3v2Tag.h"

#include <algorithm>

using namespace vantuke;

namespace {

class WatchedBytes final : public ByteSource {
public:
    explicit WatchedBytes(QByteArrayView bytes) : bytes_(bytes) {}
    qint64 Size() const override { return bytes_.Size(); }
    void ReadAt(qint64 pos, char* out, qint64 n) const override {
        FUZZ_CHECK(pos >= 0 && n >= 0 && pos + n <= Size());
        furthest = std::max(furthest, pos + n);
        bytes_.ReadAt(pos, out, n);
    }
    mutable qint64 furthest = 0;

private:
    MemoryBytes bytes_;
};

bool IsFieldText(const QString& text) {
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return false;
    return std::none_of(text.cbegin(), text.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<Id3v2Header> header = ParseId3v2Header(bytes);

    WatchedBytes file(bytes);
    const Id3v2Reading reading = ReadId3v2(file);
    FUZZ_CHECK((reading.status == Id3v2Status::Absent) == !header);
    FUZZ_CHECK(file.furthest <= std::max(kId3v2HeaderSize, header ? header->TagSize() : 0));
    FUZZ_CHECK((reading.status == Id3v2Status::Unreadable) == !reading.problem.isEmpty());
    FUZZ_CHECK(!Id3v2ProblemLine(reading).isEmpty() == (reading.status != Id3v2Status::Read));

    const Id3v2Values& values = reading.values;
    for (const TagField field : kTextFields) {
        if (const std::optional<Id3v2Text>& text = values.Text(field)) {
            FUZZ_CHECK(IsFieldText(text->text));
            FUZZ_CHECK(!text->latin1 || QString::fromLatin1(text->text.toLatin1()) == text->text);
        }
    }
    if (const std::optional<Id3v2Text>& year = values.Text(TagField::Year)) {
        FUZZ_CHECK(year->text.size() == 4);
        for (const QChar c : year->text)
            FUZZ_CHECK(c >= u'0' && c <= u'9');
    }
    FUZZ_CHECK(!values.track || (*values.track >= 1 && *values.track <= 255));
    FUZZ_CHECK(!values.genre || (*values.genre >= 0 && *values.genre < 148));
    FUZZ_CHECK(reading.status == Id3v2Status::Read || values.notes.isEmpty());

    WatchedBytes first(bytes);
    const QString version = ReadId3v2Version(first);
    FUZZ_CHECK(first.furthest <= kId3v2HeaderSize);
    FUZZ_CHECK(version.isEmpty() == (!header || header->major < 2 || header->major > 4));
    return 0;
}
