#include "batch/BatchOptions.h"
#include "batch/BatchHost.h"

#include <array>

namespace vantuke {

QString ProcessCaption(Process process) {
    static constexpr std::array<const char*, kProcessCount> kCaptions{
        "TAG>Filename",    "Filename>TAG",    "TAG",      "UnTAG",
        "List files/TAGs", "Adjust FileName", "ID3v2>TAG"};
    return QString::fromLatin1(kCaptions[static_cast<int>(process)]);
}

QString ProcessSelectedLine(Process process) {
    return QStringLiteral("Process selected: ") + ProcessCaption(process);
}

} // namespace vantuke
