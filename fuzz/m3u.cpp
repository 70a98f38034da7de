#include "PlaylistFuzz.h"

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList paths = fuzzsupport::CheckPlaylist(PlaylistKind::M3u, content);
    FUZZ_CHECK(paths.size() <= content.count('\n') + content.count('\r') + 1);

    // Windows line ends and a leading "#EXTM3U" header read the same.
    QByteArray crlf = content;
    crlf.replace("\n", "\r\n");
    FUZZ_CHECK(fuzzsupport::CheckPlaylist(PlaylistKind::M3u, crlf) == paths);
    if (!content.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(fuzzsupport::CheckPlaylist(PlaylistKind::M3u, "#EXTM3U\n" + content) == paths);
    return 0;
}
