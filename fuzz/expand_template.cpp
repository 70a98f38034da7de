#include "FuzzSupport.h"
#include "convert/PathNames.h"
#include "convert/Template.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    ProgramOptions options;
    options.extensionFormat = input.ConsumeIntegralInRange(-2, 5);
    options.numberOfDigits = input.ConsumeIntegralInRange(-2, 6);
    const int number = input.ConsumeIntegral<int>();
    TTagRecord tag;
    tag.Genre = input.ConsumeIntegral<quint8>();
    options.codec = fuzzsupport::Codec(input.ConsumeIntegral<quint8>(), false);
    for (TagField field : kTextFields) {
        const std::string bytes = input.ConsumeRandomLengthString(40);
        SetFieldBytes(tag, field, QByteArray(bytes.data(), qsizetype(bytes.size())), options.codec);
    }
    const QString path = fuzzsupport::Text(input.ConsumeRandomLengthString(300));
    const qsizetype cut = input.ConsumeIntegral<quint16>();
    const QString tmpl = fuzzsupport::Text(input.ConsumeRemainingBytesAsString());

    const QString expanded = ExpandTemplate(tag, tmpl, path, number, options);
    FUZZ_CHECK(!expanded.contains(QChar(0)));
    if (!tmpl.contains(u'%')) {
        QString withoutNul = tmpl;
        withoutNul.remove(QChar(0));
        FUZZ_CHECK(expanded == withoutNul);
    }
    // A final "%" starts no code.
    FUZZ_CHECK(ExpandTemplate(tag, tmpl + u'%', path, number, options) == expanded + u'%');
    // The template is read left to right: a split that does not fall behind a "%" expands
    // to the same text piece by piece.
    const qsizetype at = tmpl.isEmpty() ? 0 : cut % (tmpl.size() + 1);
    if (at == 0 || tmpl[at - 1] != u'%') {
        FUZZ_CHECK(ExpandTemplate(tag, tmpl.left(at), path, number, options) +
                       ExpandTemplate(tag, tmpl.sliced(at), path, number, options) ==
                   expanded);
    }

    const QString cleaned = CleanFileName(expanded);
    FUZZ_CHECK(cleaned.size() == expanded.size());
    for (QChar c : QStringLiteral("\"*/:<>?\\|"))
        FUZZ_CHECK(!cleaned.contains(c));
    return 0;
}
