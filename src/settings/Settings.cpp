#include "settings/Settings.h"

#include "platform/Directory.h"
#include "platform/IoError.h"
#include "platform/Locations.h"
#include "settings/BuiltInPresets.h"
#include "settings/IniFile.h"
#include "tag/Genres.h"

#include <algorithm>
#include <array>

namespace vantuke {
namespace {

const QString kProgramOptions = QStringLiteral("ProgramOptions");
const QString kUnTag = QStringLiteral("UnTag");
const QString kFilenameTag = QStringLiteral("FilenameTAG");
const QString kTag = QStringLiteral("TAG");
const QString kTagToFilename = QStringLiteral("TagToFilename");
const QString kListFilesTags = QStringLiteral("ListFilesTags");
const QString kAdjustFilename = QStringLiteral("AdjustFilename");
const QString kDirPresets = QStringLiteral("DirPresets");

// The "TAG" page's fields in the order of its rows; the genre is the sixth.
const std::array<QString, kTagFillRows> kFieldNames{
    QStringLiteral("SongName"), QStringLiteral("Artist"),  QStringLiteral("Album"),
    QStringLiteral("Year"),     QStringLiteral("Comment"), QStringLiteral("Genre"),
};

// A damaged count must not make the program read (or build) millions of rows; no list the
// program writes comes near this.
constexpr int kMaxStoredRows = 10000;

QString ReplaceKey(int row, const char* cell) {
    return QStringLiteral("Replace") + QString::number(row) + QLatin1String(cell);
}

PresetList LoadPresets(const IniFile& ini, const QString& section) {
    PresetList list;
    const int count =
        std::min(ini.ReadInteger(section, QStringLiteral("NoOfPresets"), 0), kMaxStoredRows);
    for (int n = 1; n <= count; ++n) {
        const QString entry =
            ini.ReadString(section, QStringLiteral("Preset") + QString::number(n), QString());
        if (!entry.isEmpty()) {
            list.entries.append(entry);
        }
    }
    list.active = ini.ReadInteger(section, QStringLiteral("ActivePreset"), 0);
    list.active = list.ActiveIndex();
    return list;
}

void SavePresets(IniFile& ini, const QString& section, const PresetList& list) {
    const int count = static_cast<int>(list.entries.size());
    ini.WriteInteger(section, QStringLiteral("NoOfPresets"), count);
    ini.WriteInteger(section, QStringLiteral("ActivePreset"), list.ActiveIndex());
    for (int n = 1; n <= count; ++n) {
        ini.WriteString(section, QStringLiteral("Preset") + QString::number(n),
                        list.entries[n - 1]);
    }
}

} // namespace

Settings DefaultSettings() {
    Settings settings;
    settings.lastDir = HomeDir();
    settings.tagToFilenamePresets.entries = BuiltInTagToFilenamePresets();
    settings.listPresets.entries = BuiltInListPresets();
    return settings;
}

Settings LoadSettings(const QString& iniPath) {
    Settings settings = DefaultSettings();
    // The built-in template lists belong to a first start only: once a settings file
    // exists, its lists are the lists, even when they are empty. Only a regular file is a
    // settings file: a pipe or device there would block the start.
    if (StatusOf(iniPath).kind != FileKind::Regular) {
        return settings;
    }
    const IniFile ini = IniFile::Load(iniPath);

    settings.program.extensionFormat =
        ClampOptionPosition(ini.ReadInteger(kProgramOptions, QStringLiteral("ExtensionFormat"), 1));
    settings.program.numberOfDigits =
        ClampOptionPosition(ini.ReadInteger(kProgramOptions, QStringLiteral("NumberOfDigits"), 1));
    settings.program.eraseReadOnlyAttr =
        ini.ReadBool(kProgramOptions, QStringLiteral("EraseReadOnlyAttr"), true);
    settings.clearStatus = ini.ReadBool(kProgramOptions, QStringLiteral("ClearStatus"), false);
    settings.lastDir = ini.ReadString(kProgramOptions, QStringLiteral("LastDir"), settings.lastDir);

    settings.untagConfirmation = ini.ReadBool(kUnTag, QStringLiteral("Confirmation"), false);

    settings.oldStyle.separator =
        ini.ReadString(kFilenameTag, QStringLiteral("Separator"), QStringLiteral("-"));
    settings.oldStyle.clearSpaces = ini.ReadBool(kFilenameTag, QStringLiteral("ClearSpaces"), true);
    settings.writeTagOnlyWhenNotPresent =
        ini.ReadBool(kFilenameTag, QStringLiteral("WriteTAGonlyWhenNotPresent"), true);
    settings.oldStyle.format = std::clamp(
        ini.ReadInteger(kFilenameTag, QStringLiteral("Format"), 0), -1, kLastOldStyleFormat);
    settings.newStylePresets = LoadPresets(ini, kFilenameTag);

    for (int i = 0; i < kGenreRow; ++i) {
        settings.tagFill.values[i] = ini.ReadString(kTag, kFieldNames[i], QString());
    }
    const int genre = ini.ReadInteger(kTag, QStringLiteral("Genre"), -1);
    settings.tagFill.genre = genre >= 0 && genre < kGenreCount ? genre : -1;
    for (int i = 0; i < kTagFillRows; ++i) {
        settings.tagFill.ask[i] = ini.ReadBool(kTag, QStringLiteral("Ask") + kFieldNames[i], true);
    }
    for (int i = 0; i < kTagFillRows; ++i) {
        settings.tagFill.leave[i] =
            ini.ReadBool(kTag, QStringLiteral("Leave") + kFieldNames[i], false);
    }

    settings.tagToFilenamePresets = LoadPresets(ini, kTagToFilename);
    settings.listPresets = LoadPresets(ini, kListFilesTags);
    settings.listShowProcessing =
        ini.ReadBool(kListFilesTags, QStringLiteral("DisplayMessage"), false);

    // A count of 0 or below stores no row: the table keeps the one empty row it always has,
    // and no "Replace" key is read.
    const int rows =
        std::min(ini.ReadInteger(kAdjustFilename, QStringLiteral("NoOfReplaceDefinitions"), 1),
                 kMaxStoredRows);
    settings.substitutions.clear();
    // The cells are stored quoted and reading removes that one pair of quotes; a cell's own
    // quotes (a row that replaces '"', say) are part of its text and stay.
    for (int n = 1; n <= rows; ++n) {
        settings.substitutions.append(
            Substitution{ini.ReadString(kAdjustFilename, ReplaceKey(n, "What"), QString()),
                         ini.ReadString(kAdjustFilename, ReplaceKey(n, "With"), QString())});
    }

    if (settings.substitutions.isEmpty()) {
        settings.substitutions.append(Substitution{});
    }

    settings.dirPresets = LoadPresets(ini, kDirPresets);
    return settings;
}

void SaveSettings(const QString& iniPath, const Settings& settings) {
    // Start from the file as it is, so keys and lines the program does not know survive.
    IniFile ini = IniFile::Load(iniPath);

    ini.WriteInteger(kProgramOptions, QStringLiteral("ExtensionFormat"),
                     settings.program.extensionFormat);
    ini.WriteInteger(kProgramOptions, QStringLiteral("NumberOfDigits"),
                     settings.program.numberOfDigits);
    ini.WriteBool(kProgramOptions, QStringLiteral("EraseReadOnlyAttr"),
                  settings.program.eraseReadOnlyAttr);
    ini.WriteString(kProgramOptions, QStringLiteral("LastDir"), settings.lastDir);
    ini.WriteBool(kProgramOptions, QStringLiteral("ClearStatus"), settings.clearStatus);

    ini.WriteBool(kUnTag, QStringLiteral("Confirmation"), settings.untagConfirmation);

    ini.WriteString(kFilenameTag, QStringLiteral("Separator"), settings.oldStyle.separator);
    ini.WriteBool(kFilenameTag, QStringLiteral("ClearSpaces"), settings.oldStyle.clearSpaces);
    ini.WriteBool(kFilenameTag, QStringLiteral("WriteTAGonlyWhenNotPresent"),
                  settings.writeTagOnlyWhenNotPresent);
    ini.WriteInteger(kFilenameTag, QStringLiteral("Format"), settings.oldStyle.format);
    SavePresets(ini, kFilenameTag, settings.newStylePresets);

    for (int i = 0; i < kGenreRow; ++i) {
        ini.WriteString(kTag, kFieldNames[i], settings.tagFill.values[i]);
    }
    ini.WriteInteger(kTag, QStringLiteral("Genre"), settings.tagFill.genre);
    for (int i = 0; i < kTagFillRows; ++i) {
        ini.WriteBool(kTag, QStringLiteral("Ask") + kFieldNames[i], settings.tagFill.ask[i]);
    }
    for (int i = 0; i < kTagFillRows; ++i) {
        ini.WriteBool(kTag, QStringLiteral("Leave") + kFieldNames[i], settings.tagFill.leave[i]);
    }

    SavePresets(ini, kTagToFilename, settings.tagToFilenamePresets);
    SavePresets(ini, kListFilesTags, settings.listPresets);
    ini.WriteBool(kListFilesTags, QStringLiteral("DisplayMessage"), settings.listShowProcessing);

    const int rows = static_cast<int>(settings.substitutions.size());
    ini.WriteInteger(kAdjustFilename, QStringLiteral("NoOfReplaceDefinitions"), rows);
    for (int n = 1; n <= rows; ++n) {
        const Substitution& row = settings.substitutions[n - 1];
        ini.WriteString(kAdjustFilename, ReplaceKey(n, "What"), QuoteValue(row.what));
        ini.WriteString(kAdjustFilename, ReplaceKey(n, "With"), QuoteValue(row.with));
    }

    SavePresets(ini, kDirPresets, settings.dirPresets);

    ini.Save(iniPath);
}

QString SettingsPath(const QString& dir) {
    return dir + QStringLiteral("Vantuke.Ini");
}

SettingsFile FindSettingsFile(const QString& programDir, const QString& configHome) {
    const bool installed = programDir.startsWith(QLatin1String("/usr/"));
    const QString besideProgram = SettingsPath(programDir);
    if (!installed && (NameExists(besideProgram) || IsWritableFolder(programDir)))
        return SettingsFile{besideProgram, false};
    return SettingsFile{SettingsPath(configHome + QStringLiteral("Vantuke/")), true};
}

SettingsFile FindSettingsFile() {
    return FindSettingsFile(ProgramDir(), ConfigHome());
}

void SaveSettings(const SettingsFile& file, const Settings& settings) {
    if (file.createFolder) {
        try {
            MakeFolders(file.path.left(file.path.lastIndexOf(u'/') + 1));
        } catch (const IoError& error) {
            throw IoError(error.Code(), QStringLiteral("Unable to write to ") + file.path)
                .WithPath(file.path);
        }
    }
    SaveSettings(file.path, settings);
}

} // namespace vantuke
