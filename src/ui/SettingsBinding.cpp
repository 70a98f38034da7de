#include "ui/SettingsBinding.h"

#include "settings/options.h"
#include "ui/AdjustPage.h"
#include "ui/FileSelectionPage.h"
#include "ui/FilenameTagPage.h"
#include "ui/Id3v2Page.h"
#include "ui/PresetBox.h"
#include "ui/ProcessPages.h"
#include "ui/TagPage.h"

#include <QCheckBox>

namespace vantuke {

void ApplySettings(const Settings& settings, const SettingsControls& controls) {
    ProcessPages& pages = controls.processes;
    if (controls.options)
        controls.options->SetOptions(settings.program);
    controls.files.SetTagCodec(settings.program.codec);
    controls.files.DirTree()->SetDirectory(settings.lastDir);
    controls.clearStatus.setChecked(settings.clearStatus);
    pages.UnTagConfirmation()->setChecked(settings.untagConfirmation);

    FilenameTagPage& filenameTag = *pages.FilenameTag();
    filenameTag.SetOldStyle(settings.oldStyle);
    filenameTag.SetWriteOnlyWhenNotPresent(settings.writeTagOnlyWhenNotPresent);
    filenameTag.NewStyleBox()->SetPresets(settings.newStylePresets);

    pages.Tag()->SetOptions(settings.tagFill);
    pages.TagToFilenameBox()->SetPresets(settings.tagToFilenamePresets);
    pages.ListBox()->SetPresets(settings.listPresets);
    pages.ListShowProcessing()->setChecked(settings.listShowProcessing);
    pages.Adjust()->SetRows(settings.substitutions);
    controls.files.SetDirPresets(settings.dirPresets);
    pages.Id3v2()->SetOptions(settings.id3v2ToTag);
}

Settings CollectSettings(const SettingsControls& controls) {
    const ProcessPages& pages = controls.processes;
    Settings settings;
    settings.program = controls.options ? controls.options->Options() : ProgramOptions{};
    settings.lastDir = controls.files.DirTree()->GetDirectory();
    settings.clearStatus = controls.clearStatus.isChecked();
    settings.untagConfirmation = pages.UnTagConfirmation()->isChecked();
    settings.oldStyle = pages.FilenameTag()->OldStyle();
    settings.writeTagOnlyWhenNotPresent = pages.FilenameTag()->WriteOnlyWhenNotPresent();
    settings.newStylePresets = pages.FilenameTag()->NewStyleBox()->Presets();
    settings.tagFill = pages.Tag()->Options();
    settings.tagToFilenamePresets = pages.TagToFilenameBox()->Presets();
    settings.listPresets = pages.ListBox()->Presets();
    settings.listShowProcessing = pages.ListShowProcessing()->isChecked();
    settings.substitutions = pages.Adjust()->Rows();
    settings.dirPresets = controls.files.DirPresets();
    settings.id3v2ToTag = pages.Id3v2()->Options();
    return settings;
}

} // namespace vantuke
