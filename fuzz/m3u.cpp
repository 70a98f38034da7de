#include "FuzzSupport.h"
#include "selection/Playlist.h"

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString dir = QStringLiteral("/music/lists/");
    const QStringList paths = ParseM3u(content, dir);
    FUZZ_CHECK(paths.size() <= content.count('\n') + content.count('\r') + 1);
    for (const QString& path : paths)
        FUZZ_CHECK(fuzzsupport::IsUsablePath(path));

    // Windows line ends and a leading "#EXTM3U" header read the same.
    QByteArray crlf = content;
    crlf.replace("\n", "\r\n");
    FUZZ_CHECK(ParseM3u(crlf, dir) == paths);
    if (!content.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(ParseM3u("#EXTM3U\n" + content, dir) == paths);
    return 0;
}
