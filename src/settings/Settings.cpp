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
#include <functional>

namespace vantuke {
namespace {

// A damaged count must not make the program read (or build) millions of rows; no list the
// program writes comes near this.
constexpr int kMaxStoredRows = 10000;

// A "TAG" page row's key, after its word ("Ask", "Leave") when it has one.
QString RowKey(int row, const char* word = "") {
    return QLatin1String(word) + QLatin1String(RowField(row).settingsKey);
}

// A damaged size must not make the window enormous; no screen comes near this.
constexpr int kMaxStoredPixels = 100000;

// "Filename:160,Filesize:70": the captions hold neither ":" nor ",".
QString ColumnWidthsText(const QList<ColumnWidth>& columns) {
    QStringList parts;
    for (const ColumnWidth& column : columns)
        parts << column.column + u':' + QString::number(column.width);
    return parts.join(u',');
}

// Entries that are no caption and a width above 0 are left out.
QList<ColumnWidth> ParseColumnWidths(const QString& text) {
    QList<ColumnWidth> columns;
    for (const QStringView part : QStringView(text).split(u',', Qt::SkipEmptyParts)) {
        const qsizetype colon = part.lastIndexOf(u':');
        bool isNumber = false;
        const int width = colon > 0 ? part.mid(colon + 1).trimmed().toInt(&isNumber) : 0;
        if (isNumber && width > 0 && width <= kMaxStoredPixels)
            columns.append(ColumnWidth{part.first(colon).trimmed().toString(), width});
    }
    return columns;
}

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
    // A number from 1 to high, or 0 for none; any other number is none.
    void NumberOrNone(const QString& key, int& value, int high) const {
        const int number = ini_.ReadInteger(section_, key, value);
        value = number >= 1 && number <= high ? number : 0;
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

    void Columns(const QString& key, QList<ColumnWidth>& columns) const {
        const QString text = ini_.ReadString(section_, key, QString());
        if (!text.isEmpty())
            columns = ParseColumnWidths(text);
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
    void NumberOrNone(const QString& key, int value, int) {
        ini_.WriteInteger(section_, key, value);
    }
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

    void Columns(const QString& key, const QList<ColumnWidth>& columns) {
        Text(key, ColumnWidthsText(columns));
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
    keys.Bool(QStringLiteral("UpdatePlaylists"), s.program.updatePlaylists);

    keys.Section(QStringLiteral("UnTag"));
    keys.Bool(QStringLiteral("Confirmation"), s.untagConfirmation);

    keys.Section(QStringLiteral("FilenameTAG"));
    keys.Text(QStringLiteral("Separator"), s.oldStyle.separator);
    keys.Bool(QStringLiteral("ClearSpaces"), s.oldStyle.clearSpaces);
    keys.Bool(QStringLiteral("WriteTAGonlyWhenNotPresent"), s.writeTagOnlyWhenNotPresent);
    keys.Number(QStringLiteral("Format"), s.oldStyle.format, -1, kLastOldStyleFormat);
    keys.Presets(s.newStylePresets);

    keys.Section(QStringLiteral("TAG"));
    // The keys of the fields the first versions knew, each kind together: their values, their
    // "Ask" boxes, their "Leave" boxes; then each later field's three keys.
    const auto value = [&](int row) {
        switch (RowField(row).kind) {
        case FieldKind::Text:
            keys.Text(RowKey(row), s.tagFill.values[row]);
            break;
        case FieldKind::Number:
            keys.NumberOrNone(RowKey(row), s.tagFill.track, kMaxTrack);
            break;
        case FieldKind::Genre:
            keys.Position(RowKey(row), s.tagFill.genre, kGenreCount);
            break;
        }
    };
    const auto ask = [&](int row) { keys.Bool(RowKey(row, "Ask"), s.tagFill.ask[row]); };
    const auto leave = [&](int row) { keys.Bool(RowKey(row, "Leave"), s.tagFill.leave[row]); };
    const std::function<void(int)> eachKind[] = {value, ask, leave};
    for (const auto& visit : eachKind) {
        for (int row = 0; row < kTagFillRows; ++row) {
            if (!RowField(row).laterKeys)
                visit(row);
        }
    }
    for (int row = 0; row < kTagFillRows; ++row) {
        if (RowField(row).laterKeys) {
            value(row);
            ask(row);
            leave(row);
        }
    }

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
        keys.Bool(RowKey(row, "Leave"), s.id3v2ToTag.leave[row]);
    keys.Bool(QStringLiteral("OnlyFillEmpty"), s.id3v2ToTag.onlyEmpty);
    keys.Bool(QStringLiteral("CreateTag"), s.id3v2ToTag.createTag);

    keys.Section(QStringLiteral("Window"));
    keys.Number(QStringLiteral("Left"), s.window.left, -kMaxStoredPixels, kMaxStoredPixels);
    keys.Number(QStringLiteral("Top"), s.window.top, -kMaxStoredPixels, kMaxStoredPixels);
    keys.Number(QStringLiteral("Width"), s.window.width, 0, kMaxStoredPixels);
    keys.Number(QStringLiteral("Height"), s.window.height, 0, kMaxStoredPixels);
    keys.Bool(QStringLiteral("Maximized"), s.window.maximized);
    keys.Number(QStringLiteral("TreeWidth"), s.window.treeWidth, 0, kMaxStoredPixels);
    keys.Number(QStringLiteral("SelectionHeight"), s.window.selectionHeight, 0, kMaxStoredPixels);
    keys.Columns(QStringLiteral("ColumnWidths"), s.window.columns);
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
