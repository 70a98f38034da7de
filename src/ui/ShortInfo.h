#pragma once

#include "batch/BatchOptions.h"

#include <QStringList>

namespace vantuke {

// The short help of a process, as the "Short info:" box shows it below the process's
// ProcessSelectedLine.
QStringList ShortInfoLines(Process process);

} // namespace vantuke
