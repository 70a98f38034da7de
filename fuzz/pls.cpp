#include "PlaylistFuzz.h"

using namespace vantuke;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList paths = fuzzsupport::CheckPlaylist(PlaylistKind::Pls, content);
    FUZZ_CHECK(paths.size() <= content.count('\n') + 1);

    // Windows line ends read the same.
    QByteArray crlf = content;
    crlf.replace("\n", "\r\n");
    FUZZ_CHECK(fuzzsupport::CheckPlaylist(PlaylistKind::Pls, crlf) == paths);
    return 0;
}
