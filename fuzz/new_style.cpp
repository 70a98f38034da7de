#include "FuzzSupport.h"
#include "convert/FilenameToTag.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

namespace {

bool NamesAField(const QString& tmpl) {
    for (char code : {'1', '2', '3', '4', '5', 'T'}) {
        if (tmpl.contains(QString(u'%') + QChar::fromLatin1(code)))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool printable = input.ConsumeBool();
    const std::string tmplBytes = input.ConsumeRandomLengthString(64);
    const std::string titleBytes = input.ConsumeRemainingBytesAsString();
    const QString tmpl = fuzzsupport::Text(tmplBytes);
    const QString title =
        printable ? fuzzsupport::PrintableText(titleBytes) : fuzzsupport::Text(titleBytes);

    const TTagRecord arriving = fuzzsupport::ArrivingTag();
    TTagRecord tag = arriving;
    NewStyleToTag(tag, title, tmpl, TagCodec{});

    for (TagField field : kTextFields)
        FUZZ_CHECK(tag.Field(field).size() <= FieldCapacity(field));
    FUZZ_CHECK(tag.Genre == arriving.Genre);
    if (title.isEmpty() || !NamesAField(tmpl))
        FUZZ_CHECK(tag == arriving);
    if (printable) {
        for (TagField field : kTextFields) {
            const QByteArray& stored = tag.Field(field);
            // Beside a track read from the name, the comment that arrived keeps its first bytes.
            const bool cutBesideTrack = field == TagField::Comment && tag.Track != arriving.Track &&
                                        arriving.Comment.startsWith(stored);
            if (stored != arriving.Field(field) && !cutBesideTrack)
                FUZZ_CHECK(title.contains(QString::fromLatin1(stored)));
        }
    }
    return 0;
}
