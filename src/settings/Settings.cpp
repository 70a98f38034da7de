#include "settings/Settings.h"

#include "platform/Directory.h"
#include "platform/IoError.h"
#include "platform/Locations.h"
#include "settings/BuiltInPresets.h"
#include "settings/IniFile.h"
#include "tag/CodePage.h"
#include "tag/Genres.h"

#include <algorithm>
#include <array>

namespace vantuke {
namespace {

// A damaged count must not make the program read (or build) millions of rows; no list the
// program writes comes near this.
constexpr int kMaxStoredRows = 10000;

// The "TAG" page's rows by their key names; the "Ask" and "Leave" keys put their word before.
const std::array<QString, kTagFillRows> kRowKeys{
    QStringLiteral("SongName"), QStringLiteral("Artist"),  QStringLiteral("Album"),
    QStringLiteral("Year"),     QStringLiteral("Comment"), QStringLiteral("Genre"),
};

QString NumberedKey(const char* word, int n, const char* cell = "") {
    return QLatin1String(word) + QString::number(n) + QLatin1String(cell);
}

// Reads each key into the value it stores. A missing key, or one that is no number where a
// number belongs, leaves the value as it was: every value is its own default.
class KeyReader {
public:
    explicit KeyReader(const IniFile& ini) : ini_(ini) {}

    void Section(const QString& name) { section_ = name; }
    void Bool(const QString& key, bool& value) const {
        value = ini_.ReadBool(section_, key, value);
    }
    void Text(const QString& key, QString& value) const {
        value = ini_.ReadString(section_, key, value);
    }
    // A code page by its name in any letter case; a name no page has leaves the page.
    void Page(const QString& key, const CodePage*& page) const {
        if (const CodePage* named = FindCodePage(ini_.ReadString(section_, key, QString())))
            page = named;
    }
    // A number outside low..high counts as the nearer end.
    void Number(const QString& key, int& value, int low, int high) const {
        value = std::clamp(ini_.ReadInteger(section_, key, value), low, high);
    }
    // A position in a list of count entries; one that names no entry is -1, none.
    void Position(const QString& key, int& value, int count) const {
        const int position = ini_.ReadInteger(section_, key, value);
        value = position >= 0 && position < count ? position : -1;
    }
    // A preset box's list. Once a settings file exists its lists are the lists: a missing
    // count is 0, and an empty or missing entry is dropped.
    void Presets(PresetList& list) const {
        list = PresetList{};
        const int count =
            std::min(ini_.ReadInteger(section_, QStringLiteral("NoOfPresets"), 0), kMaxStoredRows);
        for (int n = 1; n <= count; ++n) {
            const QString entry = ini_.ReadString(section_, NumberedKey("Preset", n), QString());
            if (!entry.isEmpty())
                list.entries.append(entry);
        }
        list.active = ini_.ReadInteger(section_, QStringLiteral("ActivePreset"), 0);
        list.active = list.ActiveIndex();
    }
    // The substitution rows, stored quoted; reading removes that one pair of quotes, and a
    // cell's own quotes (a row that replaces '"', say) stay. A count of 0 or below stores no
    // row: the table keeps the one empty row it always has, and no "Replace" key is read.
    void Substitutions(QList<Substitution>& rows) const {
        const int count = std::min(
            ini_.ReadInteger(section_, QStringLiteral("NoOfReplaceDefinitions"), int(rows.size())),
            kMaxStoredRows);
        rows.resize(std::max(count, 1));
        for (int n = 1; n <= count; ++n) {
            Text(NumberedKey("Replace", n, "What"), rows[n - 1].what);
            Text(NumberedKey("Replace", n, "With"), rows[n - 1].with);
        }
    }

private:
    const IniFile& ini_;
    QString section_;
};

// Writes each value under its key.
class KeyWriter {
public:
    explicit KeyWriter(IniFile& ini) : ini_(ini) {}

    void Section(const QString& name) { section_ = name; }
    void Bool(const QString& key, bool value) { ini_.WriteBool(section_, key, value); }
    void Text(const QString& key, const QString& value) { ini_.WriteString(section_, key, value); }
    void Page(const QString& key, const CodePage* page) { Text(key, page->Name()); }
    void Number(const QString& key, int value, int, int) {
        ini_.WriteInteger(section_, key, value);
    }
    void Position(const QString& key, int value, int) { ini_.WriteInteger(section_, key, value); }
    void Presets(const PresetList& list) {
        const int count = static_cast<int>(list.entries.size());
        ini_.WriteInteger(section_, QStringLiteral("NoOfPresets"), count);
        ini_.WriteInteger(section_, QStringLiteral("ActivePreset"), list.ActiveIndex());
        for (int n = 1; n <= count; ++n)
            Text(NumberedKey("Preset", n), list.entries[n - 1]);
    }
    void Substitutions(const QList<Substitution>& rows) {
        const int count = static_cast<int>(rows.size());
        ini_.WriteInteger(section_, QStringLiteral("NoOfReplaceDefinitions"), count);
        for (int n = 1; n <= count; ++n) {
            Text(NumberedKey("Replace", n, "What"), QuoteValue(rows[n - 1].what));
            Text(NumberedKey("Replace", n, "With"), QuoteValue(rows[n - 1].with));
        }
    }

private:
    IniFile& ini_;
    QString section_;
};

// Every key of the settings file beside the value it stores, section by section in the order
// a new file holds them. Loading walks this list with a KeyReader, saving with a KeyWriter,
// so a new key is one line here.
template <typename Keys, typename Values> void VisitKeys(Keys& keys, Values& s) {
    keys.Section(QStringLiteral("ProgramOptions"));
    keys.Number(QStringLiteral("ExtensionFormat"), s.program.extensionFormat, 0,
                kLastOptionPosition);
    keys.Number(QStringLiteral("NumberOfDigits"), s.program.numberOfDigits, 0, kLastOptionPosition);
    keys.Bool(QStringLiteral("EraseReadOnlyAttr"), s.program.eraseReadOnlyAttr);
    keys.Text(QStringLiteral("LastDir"), s.lastDir);
    keys.Bool(QStringLiteral("ClearStatus"), s.clearStatus);
    keys.Bool(QStringLiteral("KeepUndoHistory"), s.program.keepUndoHistory);
    keys.Bool(QStringLiteral("SkipFailedFiles"), s.program.skipFailedFiles);
    keys.Page(QStringLiteral("CodePage"), s.program.codec.page);
    keys.Bool(QStringLiteral("Transliterate"), s.program.codec.transliterate);

    keys.Section(QStringLiteral("UnTag"));
    keys.Bool(QStringLiteral("Confirmation"), s.untagConfirmation);

    keys.Section(QStringLiteral("FilenameTAG"));
    keys.Text(QStringLiteral("Separator"), s.oldStyle.separator);
    keys.Bool(QStringLiteral("ClearSpaces"), s.oldStyle.clearSpaces);
    keys.Bool(QStringLiteral("WriteTAGonlyWhenNotPresent"), s.writeTagOnlyWhenNotPresent);
    keys.Number(QStringLiteral("Format"), s.oldStyle.format, -1, kLastOldStyleFormat);
    keys.Presets(s.newStylePresets);

    keys.Section(QStringLiteral("TAG"));
    for (int row = 0; row < kTextFieldCount; ++row)
        keys.Text(kRowKeys[row], s.tagFill.values[row]);
    keys.Position(kRowKeys[kGenreRow], s.tagFill.genre, kGenreCount);
    for (int row = 0; row < kTagFillRows; ++row)
        keys.Bool(QStringLiteral("Ask") + kRowKeys[row], s.tagFill.ask[row]);
    for (int row = 0; row < kTagFillRows; ++row)
        keys.Bool(QStringLiteral("Leave") + kRowKeys[row], s.tagFill.leave[row]);

    keys.Section(QStringLiteral("TagToFilename"));
    keys.Presets(s.tagToFilenamePresets);

    keys.Section(QStringLiteral("ListFilesTags"));
    keys.Presets(s.listPresets);
    keys.Bool(QStringLiteral("DisplayMessage"), s.listShowProcessing);

    keys.Section(QStringLiteral("AdjustFilename"));
    keys.Substitutions(s.substitutions);

    keys.Section(QStringLiteral("DirPresets"));
    keys.Presets(s.dirPresets);

    keys.Section(QStringLiteral("ID3v2TAG"));
    for (int row = 0; row < kTagFillRows; ++row)
        keys.Bool(QStringLiteral("Leave") + kRowKeys[row], s.id3v2ToTag.leave[row]);
    keys.Bool(QStringLiteral("OnlyFillEmpty"), s.id3v2ToTag.onlyEmpty);
    keys.Bool(QStringLiteral("CreateTag"), s.id3v2ToTag.createTag);
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
    if (StatusOf(iniPath).kind != FileKind::Regular)
        return settings;
    const IniFile ini = IniFile::Load(iniPath);
    KeyReader reader(ini);
    VisitKeys(reader, settings);
    return settings;
}

void SaveSettings(const QString& iniPath, const Settings& settings) {
    // Start from the file as it is, so keys and lines the program does not know survive.
    IniFile ini = IniFile::Load(iniPath);
    KeyWriter writer(ini);
    VisitKeys(writer, settings);
    ini.Save(iniPath);
}

BatchOptions BatchOptionsFromSettings(const Settings& settings) {
    BatchOptions options;
    options.clearStatus = settings.clearStatus;
    options.program = settings.program;
    options.tagToFilenameTemplate =
        settings.tagToFilenamePresets.ShownText(kTagToFilenameInitialText);
    options.filenameToTag.old = settings.oldStyle;
    options.filenameToTag.old.separator = settings.oldStyle.separator.left(kSeparatorMaxLength);
    options.filenameToTag.newStyleTemplate = settings.newStylePresets.ShownText(QString());
    options.writeTagOnlyWhenNotPresent = settings.writeTagOnlyWhenNotPresent;
    options.tagFill = settings.tagFill;
    for (int row = 0; row < kTextFieldCount; ++row)
        options.tagFill.values[row] = TagRowText(settings.tagFill.values[row], row);
    options.untagConfirmation = settings.untagConfirmation;
    options.listTemplate = settings.listPresets.ShownText(kListInitialText);
    options.listShowProcessing = settings.listShowProcessing;
    options.substitutions = settings.substitutions;
    options.id3v2ToTag = settings.id3v2ToTag;
    return options;
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
