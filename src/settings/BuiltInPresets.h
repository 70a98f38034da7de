#pragma once

#include <QStringList>

namespace vantuke {

// The entries the "TAG>Filename" box (ComboBox2) holds before any settings exist.
QStringList BuiltInTagToFilenamePresets();
// The entries the "List files/TAGs" box (ComboBox3) holds before any settings exist.
QStringList BuiltInListPresets();

} // namespace vantuke
