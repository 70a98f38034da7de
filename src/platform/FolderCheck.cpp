#include "platform/FolderCheck.h"

#include "platform/NameBytes.h"

#include <sys/stat.h>

namespace vantuke {

bool IsFolder(const QString& path) {
    bool ok = false;
    const QByteArray native = NameToBytes(path, &ok);
    struct stat st {};
    return ok && !native.isEmpty() && !native.contains('\0') &&
           ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace vantuke
