#include "FuzzSupport.h"
#include "settings/IniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vantuke;

namespace {

// A section or key name that any INI file can hold: letters and digits only, never empty.
QString Name(const std::string& bytes) {
    QString name = QStringLiteral("n");
    for (unsigned char b : bytes)
        name += QChar::fromLatin1(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[b % 62]);
    return name;
}

// A value that reads back unchanged: no blanks at its ends, no enclosing quotes.
QString Value(const std::string& bytes) {
    QString value = fuzzsupport::PrintableText(bytes);
    value.replace(u'"', u'x').replace(u'\'', u'x');
    return QStringLiteral("v") + value.trimmed().left(2000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString section = Name(input.ConsumeRandomLengthString(6));
    const QString key = Name(input.ConsumeRandomLengthString(6));
    const QString value = Value(input.ConsumeRandomLengthString(64));
    const std::string fileBytes = input.ConsumeRemainingBytesAsString();
    const QByteArray file(fileBytes.data(), qsizetype(fileBytes.size()));

    IniFile ini = IniFile::Parse(file);
    FUZZ_CHECK(ini.Serialize() == file);
    (void)ini.ReadString(section, key, QString());
    (void)ini.ReadInteger(section, key, 0);

    ini.WriteString(section, key, value);
    FUZZ_CHECK(ini.ReadString(section, key, QString()) == value);
    const IniFile reread = IniFile::Parse(ini.Serialize());
    FUZZ_CHECK(reread.ReadString(section, key, QString()) == value);
    FUZZ_CHECK(reread.Serialize() == ini.Serialize());
    return 0;
}
