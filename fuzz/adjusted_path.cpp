#include "FuzzSupport.h"
#include "convert/Adjust.h"
#include "convert/PathNames.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int extensionFormat = input.ConsumeIntegralInRange(-1, 4);
    QList<Substitution> rows(input.ConsumeIntegralInRange(0, 3));
    for (Substitution& row : rows) {
        row.what = fuzzsupport::Text(input.ConsumeRandomLengthString(8));
        row.with = fuzzsupport::Text(input.ConsumeRandomLengthString(4));
    }
    const QString path = fuzzsupport::Text(input.ConsumeRemainingBytesAsString());

    const QString adjusted = AdjustedPath(path, rows, extensionFormat);

    // The folder stays, the extension is the chosen one, and the name between them holds no
    // character that could lead into another folder.
    const QString folder = FilePathOf(path);
    const QString ending = u'.' + ExtensionText(extensionFormat);
    FUZZ_CHECK(adjusted.startsWith(folder));
    FUZZ_CHECK(adjusted.endsWith(ending));
    FUZZ_CHECK(adjusted.size() >= folder.size() + ending.size());
    const QStringView name = QStringView(adjusted).sliced(
        folder.size(), adjusted.size() - folder.size() - ending.size());
    FUZZ_CHECK(!name.contains(u'/') && !name.contains(u'\\'));
    FUZZ_CHECK(FilePathOf(adjusted) == folder);
    if (rows.isEmpty())
        FUZZ_CHECK(name == CleanFileName(FileTitleOf(path)));
    return 0;
}
