#pragma once

#include "settings/Settings.h"

class QCheckBox;

namespace vantuke {

class FileSelectionPage;
class ProcessPages;
class TForm4;

// The controls that hold the stored settings, across the main window and the Options
// dialog.
struct SettingsControls {
    FileSelectionPage& files;
    ProcessPages& processes;
    QCheckBox& clearStatus;
    TForm4* options;
};

// Puts loaded settings into the controls, in the order the settings file lists them; the
// directory tree is sent to the last folder.
void ApplySettings(const Settings& settings, const SettingsControls& controls);
// The settings as the controls hold them now.
Settings CollectSettings(const SettingsControls& controls);

} // namespace vantuke
