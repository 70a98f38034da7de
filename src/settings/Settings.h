#pragma once

#include "batch/BatchOptions.h"
#include "convert/Adjust.h"
#include "convert/FilenameToTag.h"
#include "convert/ProgramOptions.h"
#include "settings/PresetList.h"

#include <QList>
#include <QString>

namespace vantuke {

// A column of the file list and the width the user gave it, by its caption.
struct ColumnWidth {
    QString column;
    int width = 0;

    bool operator==(const ColumnWidth&) const = default;
};

// How the main window was laid out when it closed, section "Window". A value of 0 (a first
// start) means none was stored: the window then opens centred at its designed size, and the
// lists are sized for their usual values.
struct WindowLayout {
    int left = 0;               // "Left": where the window's inside begins on the desktop
    int top = 0;                // "Top"
    int width = 0;              // "Width": the inside's size, without the desktop's frame
    int height = 0;             // "Height"
    bool maximized = false;     // "Maximized"; the values above are then its normal place
    int treeWidth = 0;          // "TreeWidth": the folder tree beside the file list
    int selectionHeight = 0;    // "SelectionHeight": "Selected files to process:"
    QList<ColumnWidth> columns; // "ColumnWidths": caption ":" width, joined by ","

    bool HasPlace() const { return width > 0 && height > 0; }
    bool operator==(const WindowLayout&) const = default;
};

// Every value the settings file "Vantuke.Ini" keeps, as plain data. The window copies it into
// its controls after loading and collects it from them before saving.
struct Settings {
    ProgramOptions program;         // "ExtensionFormat","NumberOfDigits","EraseReadOnlyAttr",
                                    // "KeepUndoHistory","SkipFailedFiles","CodePage",
                                    // "Transliterate","UpdatePlaylists"
    QString lastDir;                // "LastDir"; default: the user's home folder + "/"
    bool clearStatus = false;       // "ClearStatus"
    bool untagConfirmation = false; // "UnTag"/"Confirmation"
    OldStyleOptions oldStyle;       // "Separator","ClearSpaces","Format"
    bool writeTagOnlyWhenNotPresent = true;            // "WriteTAGonlyWhenNotPresent"
    PresetList newStylePresets;                        // section "FilenameTAG"
    TagFillOptions tagFill;                            // section "TAG"
    PresetList tagToFilenamePresets;                   // "TagToFilename"
    PresetList listPresets;                            // "ListFilesTags"
    bool listShowProcessing = false;                   // "DisplayMessage"
    QList<Substitution> substitutions{Substitution{}}; // at least one row
    PresetList dirPresets;                             // "DirPresets"
    Id3v2ToTagOptions id3v2ToTag; // "ID3v2TAG": "Leave<field>","OnlyFillEmpty","CreateTag"
    WindowLayout window;                               // "Window"

    bool operator==(const Settings&) const = default;
};

// The values of a first start: defaults everywhere, the two template boxes holding their
// built-in entries with none selected.
Settings DefaultSettings();
// Reads the file; a missing file, or one that is not a regular file, gives DefaultSettings().
// A file over kMaxWholeFileSize is refused with IoError::TooLarge; nothing else fails.
Settings LoadSettings(const QString& iniPath);
// Writes every key, keeping every other line of the file; replaces the real file behind a
// chain of symbolic links atomically, the links untouched. Throws IoError "Unable to write to
// <path>" on failure, and IoError::TooLarge for a file too large to read and keep.
void SaveSettings(const QString& iniPath, const Settings& settings);
// The options a run takes from the settings, the same for the window and the command line:
// every value as the window's controls hold it once the settings are loaded. A template is
// the text its box then shows (the selected entry, or else the box's first text); a "TAG"
// value and the separator are no longer than their fields take. The process and the
// sub-method are not stored: they keep BatchOptions' defaults.
BatchOptions BatchOptionsFromSettings(const Settings& settings);

// dir + "Vantuke.Ini"; dir ends in "/".
QString SettingsPath(const QString& dir);

// The one settings file the program reads and writes.
struct SettingsFile {
    QString path;
    bool createFolder = false; // the first save creates the file's folder and those above it

    bool operator==(const SettingsFile&) const = default;
};
// "Vantuke.Ini" beside the program when its folder already holds one or the user may write
// there (a build tree, a portable copy); otherwise configHome + "Vantuke/Vantuke.Ini". A
// program installed under /usr always uses configHome: nothing there is the user's, and a
// file one user (root, say) left beside the program would then be every user's, unwritable.
SettingsFile FindSettingsFile(const QString& programDir, const QString& configHome);
// The settings file of the running program and its user.
SettingsFile FindSettingsFile();
// SaveSettings into the file, first creating its folder when it has to. The folder failing
// is reported like the file failing: "Unable to write to <path>".
void SaveSettings(const SettingsFile& file, const Settings& settings);

} // namespace vantuke
