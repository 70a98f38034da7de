#pragma once

#include <QString>
#include <QStringList>

namespace vantuke {

// The entries the "TAG>Filename" box (ComboBox2) holds before any settings exist.
QStringList BuiltInTagToFilenamePresets();
// The entries the "List files/TAGs" box (ComboBox3) holds before any settings exist.
QStringList BuiltInListPresets();

// The texts the two boxes show when the window is created.
inline const QString kTagToFilenameInitialText = QStringLiteral("%2 - %1");
inline const QString kListInitialText = QStringLiteral("File %7.%9 were made by %2");

} // namespace vantuke
