#include "FuzzSupport.h"
#include "convert/FilenameToTag.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool printable = input.ConsumeBool();
    OldStyleOptions options;
    options.clearSpaces = input.ConsumeBool();
    options.format = input.ConsumeIntegralInRange(-2, 9);
    const std::string separator = input.ConsumeRandomLengthString(12);
    const std::string title = input.ConsumeRemainingBytesAsString();
    options.separator =
        printable ? fuzzsupport::PrintableText(separator) : fuzzsupport::Text(separator);
    const QString text = printable ? fuzzsupport::PrintableText(title) : fuzzsupport::Text(title);

    const TTagRecord arriving = fuzzsupport::ArrivingTag();
    TTagRecord tag = arriving;
    const TagCodec codec;
    OldStyleToTag(tag, text, options, codec);

    for (TagField field : kTextFields)
        FUZZ_CHECK(tag.Field(field).size() <= FieldCapacity(field));
    FUZZ_CHECK(tag.Album == arriving.Album && tag.Year == arriving.Year &&
               tag.Comment == arriving.Comment && tag.Genre == arriving.Genre);
    if (options.format < 0 || options.format > 7)
        FUZZ_CHECK(tag == arriving);
    const QByteArray whole = codec.Page().Encode(text, false).bytes.left(30);
    if (options.format == 6)
        FUZZ_CHECK(tag.SongName == whole);
    if (options.format == 7)
        FUZZ_CHECK(tag.Artist == whole);
    // A title without the separator is not split: all of it is the left part.
    if ((options.format == 0 || options.format == 5) && !options.clearSpaces &&
        !text.contains(options.separator))
        FUZZ_CHECK(tag.Artist == whole);

    if (printable) {
        // Each half is a piece of the title; the left one (untrimmed) starts it.
        for (const QByteArray* field : {&tag.SongName, &tag.Artist}) {
            if (*field != arriving.SongName)
                FUZZ_CHECK(text.contains(QString::fromLatin1(*field)));
        }
        if (options.format == 0 && !options.clearSpaces)
            FUZZ_CHECK(text.startsWith(QString::fromLatin1(tag.Artist)));
        if (options.format == 1 && !options.clearSpaces)
            FUZZ_CHECK(text.startsWith(QString::fromLatin1(tag.SongName)));
    }
    return 0;
}
