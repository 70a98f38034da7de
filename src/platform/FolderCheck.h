#pragma once

#include <QString>

namespace vantuke {

// True when the path names an existing folder (or a link to one).
bool IsFolder(const QString& path);

} // namespace vantuke
