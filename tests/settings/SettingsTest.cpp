#include "settings/Settings.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "settings/BuiltInPresets.h"
#include "settings/IniFile.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace vantuke;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Every value differs from its default, and every text survives the reading rules.
Settings FullyPopulated() {
    Settings s;
    s.program = ProgramOptions{3, 0, false, true, true};
    s.program.codec = TagCodec{FindCodePage(u"GBK"), true};
    s.program.updatePlaylists = true;
    s.lastDir = QStringLiteral("/srv/music/Bj\u00F6rk/");
    s.clearStatus = true;
    s.untagConfirmation = true;
    s.oldStyle = OldStyleOptions{QStringLiteral("_-_"), false, -1};
    s.writeTagOnlyWhenNotPresent = false;
    s.newStylePresets = PresetList{{"%2 - %1", "%N. %1"}, 1};
    s.tagFill.values = {"Song", "Artist", "Album", "1999", "a comment"};
    s.tagFill.track = 200;
    s.tagFill.genre = 147;
    s.tagFill.ask = {false, true, false, true, false, false, true};
    s.tagFill.leave = {true, false, true, false, true, false, false};
    s.tagToFilenamePresets = PresetList{{"%1", "%1", "%N-%2"}, 2};
    s.listPresets = PresetList{{"%8%7.%9"}, 0};
    s.listShowProcessing = true;
    s.substitutions = {Substitution{" ", "_"}, Substitution{"", ""}, Substitution{"\"", "'"},
                       Substitution{"\"Live\"", " (live) "}};
    s.dirPresets = PresetList{{"/home/a/", "?"}, -1};
    s.id3v2ToTag.leave[1] = true;
    s.id3v2ToTag.leave[kGenreRow] = true;
    s.id3v2ToTag.onlyEmpty = true;
    s.id3v2ToTag.createTag = false;
    s.window = WindowLayout{
        -8, 30, 1280, 900, true, 240, 310, {ColumnWidth{"Filename", 260}, ColumnWidth{"Tag?", 41}}};
    return s;
}

TEST(Settings, DefaultsOfAFirstStart) {
    const Settings s = DefaultSettings();
    EXPECT_EQ(s.program, ProgramOptions{});
    EXPECT_EQ(s.lastDir, QDir::homePath() + "/");
    EXPECT_EQ(s.oldStyle.separator, "-");
    EXPECT_EQ(s.oldStyle.format, 0);
    EXPECT_EQ(s.substitutions, QList<Substitution>{Substitution{}});
    EXPECT_EQ(s.tagFill.genre, -1);

    EXPECT_EQ(s.tagToFilenamePresets.entries.size(), 20);
    EXPECT_EQ(s.tagToFilenamePresets.entries.front(), kTagToFilenameInitialText);
    EXPECT_EQ(s.tagToFilenamePresets.entries.back(), "%N_%2 - %1");
    EXPECT_EQ(s.listPresets.entries.size(), 16);
    EXPECT_EQ(s.listPresets.entries[8], kListInitialText);
    EXPECT_EQ(s.listPresets.entries.back(), "%2 - %1");
    EXPECT_EQ(s.tagToFilenamePresets.active, -1);
    EXPECT_EQ(s.listPresets.active, -1);
    EXPECT_TRUE(s.newStylePresets.entries.isEmpty());
    EXPECT_TRUE(s.dirPresets.entries.isEmpty());
}

TEST(Settings, MissingFileKeepsBuiltInListsButExistingFileWins) {
    TempDir dir;
    EXPECT_EQ(LoadSettings(dir.Path("Vantuke.Ini")), DefaultSettings());

    WriteFile(dir.Path("Vantuke.Ini"), "; nothing stored yet\n");
    const Settings s = LoadSettings(dir.Path("Vantuke.Ini"));
    EXPECT_TRUE(s.tagToFilenamePresets.entries.isEmpty());
    EXPECT_TRUE(s.listPresets.entries.isEmpty());
    Settings expected = DefaultSettings();
    expected.tagToFilenamePresets = {};
    expected.listPresets = {};
    EXPECT_EQ(s, expected);
}

TEST(Settings, SaveThenLoadGivesEverythingBack) {
    TempDir dir;
    const QString path = SettingsPath(dir.Dir());
    EXPECT_EQ(path, dir.Dir() + "Vantuke.Ini");
    const Settings s = FullyPopulated();
    SaveSettings(path, s);
    EXPECT_EQ(LoadSettings(path), s);

    // A second save over the file changes nothing and adds no key twice.
    const QByteArray first = ReadFile(path);
    SaveSettings(path, s);
    EXPECT_EQ(ReadFile(path), first);
}

TEST(Settings, NewFileHoldsSectionsAndKeysInOrder) {
    TempDir dir;
    const QString path = dir.Path("Vantuke.Ini");
    SaveSettings(path, DefaultSettings());
    const QString text = QString::fromUtf8(ReadFile(path));
    QStringList sections;
    for (const auto& m : QRegularExpression("^\\[(.*)\\]$", QRegularExpression::MultilineOption)
                             .globalMatch(text)) {
        sections << m.captured(1);
    }
    EXPECT_EQ(sections,
              (QStringList{"ProgramOptions", "UnTag", "FilenameTAG", "TAG", "TagToFilename",
                           "ListFilesTags", "AdjustFilename", "DirPresets", "ID3v2TAG", "Window"}));
    EXPECT_TRUE(text.startsWith("[ProgramOptions]\nExtensionFormat=1\nNumberOfDigits=1\n"
                                "EraseReadOnlyAttr=1\nLastDir=" +
                                QDir::homePath() +
                                "/\nClearStatus=0\nKeepUndoHistory=1\nSkipFailedFiles=0\n"
                                "CodePage=windows-1252\nTransliterate=0\n"
                                "UpdatePlaylists=0\n"));
    EXPECT_TRUE(text.contains("[FilenameTAG]\nSeparator=-\nClearSpaces=1\n"
                              "WriteTAGonlyWhenNotPresent=1\nFormat=0\nNoOfPresets=0\n"
                              "ActivePreset=-1\n"));
    EXPECT_TRUE(text.contains("Genre=-1\nAskSongName=1\n"));
    EXPECT_TRUE(text.contains("AskGenre=1\nLeaveSongName=0\n"));
    // The track's keys come after all the keys older versions wrote: the track is left.
    EXPECT_TRUE(text.contains("LeaveGenre=0\nTrack=0\nAskTrack=1\nLeaveTrack=1\n"));
    EXPECT_TRUE(text.contains("[TagToFilename]\nNoOfPresets=20\nActivePreset=-1\n"
                              "Preset1=%2 - %1\n"));
    EXPECT_TRUE(text.contains("Preset16=%2 - %1\nDisplayMessage=0\n"));
    EXPECT_TRUE(text.contains("[AdjustFilename]\nNoOfReplaceDefinitions=1\n"
                              "Replace1What=\"\"\nReplace1With=\"\"\n"));
    EXPECT_TRUE(text.endsWith("[Window]\nLeft=0\nTop=0\nWidth=0\nHeight=0\nMaximized=0\n"
                              "TreeWidth=0\nSelectionHeight=0\nColumnWidths=\n"));
    EXPECT_TRUE(text.contains("[ID3v2TAG]\nLeaveSongName=0\nLeaveArtist=0\nLeaveAlbum=0\n"
                              "LeaveYear=0\nLeaveComment=0\nLeaveTrack=0\nLeaveGenre=0\n"
                              "OnlyFillEmpty=0\nCreateTag=1\n"));
}

struct LoadCase {
    const char* name;
    QByteArray file;
    std::function<bool(const Settings&)> check;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(SettingsLoadTest, ClampsAndFilters) {
    TempDir dir;
    WriteFile(dir.Path("Vantuke.Ini"), GetParam().file);
    EXPECT_TRUE(GetParam().check(LoadSettings(dir.Path("Vantuke.Ini"))));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsLoadTest,
    ::testing::Values(
        LoadCase{"SlidersClampHigh", "[ProgramOptions]\nExtensionFormat=9\nNumberOfDigits=0x7\n",
                 [](const Settings& s) {
                     return s.program.extensionFormat == 3 && s.program.numberOfDigits == 3;
                 }},
        LoadCase{"SlidersClampLow", "[programoptions]\nextensionformat=-2\nnumberofdigits=-1\n",
                 [](const Settings& s) {
                     return s.program.extensionFormat == 0 && s.program.numberOfDigits == 0;
                 }},
        LoadCase{"NotANumberIsTheDefault", "[ProgramOptions]\nExtensionFormat=two\n",
                 [](const Settings& s) { return s.program.extensionFormat == 1; }},
        LoadCase{"UndoHistoryOff", "[ProgramOptions]\nKeepUndoHistory=0\n",
                 [](const Settings& s) { return !s.program.keepUndoHistory; }},
        LoadCase{"UndoHistoryOnWithoutKey", "[ProgramOptions]\nClearStatus=1\n",
                 [](const Settings& s) {
                     return s.program.keepUndoHistory && !s.program.skipFailedFiles &&
                            !s.program.updatePlaylists;
                 }},
        LoadCase{"SkipFailedFilesOn", "[ProgramOptions]\nSkipFailedFiles=1\n",
                 [](const Settings& s) { return s.program.skipFailedFiles; }},
        LoadCase{"CodePageByNameInAnyCase", "[ProgramOptions]\nCodePage=koi8-r\nTransliterate=1\n",
                 [](const Settings& s) {
                     return s.program.codec == TagCodec{FindCodePage(u"KOI8-R"), true};
                 }},
        LoadCase{"UnknownCodePageIsTheDefault", "[ProgramOptions]\nCodePage=cp1251\n",
                 [](const Settings& s) { return s.program.codec == TagCodec{}; }},
        LoadCase{"UpdatePlaylistsOn", "[ProgramOptions]\nUpdatePlaylists=1\n",
                 [](const Settings& s) { return s.program.updatePlaylists; }},
        LoadCase{"FormatClampsHigh", "[FilenameTAG]\nFormat=12\n",
                 [](const Settings& s) { return s.oldStyle.format == 7; }},
        LoadCase{"FormatClampsLow", "[FilenameTAG]\nFormat=-5\n",
                 [](const Settings& s) { return s.oldStyle.format == -1; }},
        LoadCase{"SeparatorLosesBlanks", "[FilenameTAG]\nSeparator=  ~  \n",
                 [](const Settings& s) { return s.oldStyle.separator == "~"; }},
        LoadCase{"GenrePastTableIsNone", "[TAG]\nGenre=200\n",
                 [](const Settings& s) { return s.tagFill.genre == -1; }},
        LoadCase{"GenreBelowZeroIsNone", "[TAG]\nGenre=-3\n",
                 [](const Settings& s) { return s.tagFill.genre == -1; }},
        LoadCase{"LastGenreKept", "[TAG]\nGenre=147\n",
                 [](const Settings& s) { return s.tagFill.genre == 147; }},
        LoadCase{"HexPresetCount", "[DirPresets]\nNoOfPresets=0x2\nPreset1=/a/\nPreset2=/b/\n",
                 [](const Settings& s) {
                     return s.dirPresets == PresetList{{"/a/", "/b/"}, 0};
                 }},
        LoadCase{"ShrunkListIgnoresOldKeys",
                 "[TagToFilename]\nNoOfPresets=2\nActivePreset=1\nPreset1=a\nPreset2=b\n"
                 "Preset3=c\n",
                 [](const Settings& s) {
                     return s.tagToFilenamePresets == PresetList{{"a", "b"}, 1};
                 }},
        LoadCase{"EmptyEntryDroppedAndActiveShifts",
                 "[ListFilesTags]\nNoOfPresets=3\nActivePreset=2\nPreset1=a\nPreset2=\n"
                 "Preset3=c\n",
                 [](const Settings& s) {
                     return s.listPresets == PresetList{{"a", "c"}, -1};
                 }},
        LoadCase{"ActivePastEndSelectsNothing",
                 "[FilenameTAG]\nNoOfPresets=1\nActivePreset=1\nPreset1=%1\n",
                 [](const Settings& s) {
                     return s.newStylePresets == PresetList{{"%1"}, -1};
                 }},
        LoadCase{"ActiveMinusOneSelectsNothing",
                 "[FilenameTAG]\nNoOfPresets=1\nActivePreset=-1\nPreset1=%1\n",
                 [](const Settings& s) { return s.newStylePresets.active == -1; }},
        LoadCase{"NegativeCountReadsNothing", "[DirPresets]\nNoOfPresets=-4\nPreset1=/a/\n",
                 [](const Settings& s) { return s.dirPresets.entries.isEmpty(); }},
        LoadCase{"AtLeastOneSubstitutionRow", "[AdjustFilename]\nNoOfReplaceDefinitions=-3\n",
                 [](const Settings& s) {
                     return s.substitutions == QList<Substitution>{Substitution{}};
                 }},
        LoadCase{"ZeroCountReadsNoSubstitutionRow",
                 "[AdjustFilename]\nNoOfReplaceDefinitions=0\nReplace1What=\"a\"\n"
                 "Replace1With=\"b\"\n",
                 [](const Settings& s) {
                     return s.substitutions == QList<Substitution>{Substitution{}};
                 }},
        LoadCase{"NegativeCountReadsNoSubstitutionRow",
                 "[AdjustFilename]\nNoOfReplaceDefinitions=-2\nReplace1What=\"a\"\n",
                 [](const Settings& s) {
                     return s.substitutions == QList<Substitution>{Substitution{}};
                 }},
        LoadCase{"FolderPathsKeepTheirBytes",
                 "[ProgramOptions]\nLastDir=/m/Caf\xE9/\n[DirPresets]\nNoOfPresets=2\n"
                 "Preset1=/m/Caf\xE9/\nPreset2=/m/Caf\xEF\xBF\xBD/\n",
                 [](const Settings& s) {
                     return NameToBytes(s.lastDir) == "/m/Caf\xE9/" &&
                            NameToBytes(s.dirPresets.entries.value(0)) == "/m/Caf\xE9/" &&
                            NameToBytes(s.dirPresets.entries.value(1)) == "/m/Caf\xEF\xBF\xBD/";
                 }},
        LoadCase{"MissingCellsAreEmpty",
                 "[AdjustFilename]\nNoOfReplaceDefinitions=3\nReplace2What=\"a\"\n",
                 [](const Settings& s) {
                     return s.substitutions ==
                            QList<Substitution>{{}, Substitution{"a", ""}, Substitution{}};
                 }},
        LoadCase{"QuotedCellKeepsBlanks",
                 "[AdjustFilename]\nNoOfReplaceDefinitions=1\nReplace1What=\" \"\n"
                 "Replace1With=\"\"\n",
                 [](const Settings& s) {
                     return s.substitutions == QList<Substitution>{Substitution{" ", ""}};
                 }},
        LoadCase{"DamagedCountsStayBounded",
                 "[AdjustFilename]\nNoOfReplaceDefinitions=2000000000\n[DirPresets]\n"
                 "NoOfPresets=2000000000\nPreset1=/a/\n",
                 [](const Settings& s) {
                     return s.substitutions.size() == 10000 &&
                            s.dirPresets.entries == QStringList{"/a/"};
                 }},
        LoadCase{"WindowPlaceAndSizes",
                 "[Window]\nLeft=-1600\nWidth=900\nHeight=9999999\nMaximized=1\nTreeWidth=-1\n"
                 "ColumnWidths=Filename:300, Tag?:40,Artist:wide,:12,Year:-5,Style\n",
                 [](const Settings& s) {
                     return s.window ==
                            WindowLayout{
                                -1600, 0,
                                900,   100000,
                                true,  0,
                                0,     {ColumnWidth{"Filename", 300}, ColumnWidth{"Tag?", 40}}};
                 }},
        LoadCase{"BooleansAndFlags",
                 "[TAG]\nAskYear=0\nLeaveGenre=1\n[UnTag]\nConfirmation=1\n[ListFilesTags]\n"
                 "DisplayMessage=1\n",
                 [](const Settings& s) {
                     return !s.tagFill.ask[3] && s.tagFill.ask[0] && s.tagFill.leave[kGenreRow] &&
                            !s.tagFill.leave[0] && s.untagConfirmation && s.listShowProcessing;
                 }},
        // A file written before tracks existed: the track is left, and asked once it is not.
        LoadCase{"AnOlderFileLeavesTheTrack", "[TAG]\nComment=c\nAskGenre=0\nLeaveComment=1\n",
                 [](const Settings& s) {
                     return s.tagFill.track == 0 && s.tagFill.leave[kTrackRow] &&
                            s.tagFill.ask[kTrackRow] && s.tagFill.leave[int(TagField::Comment)];
                 }},
        LoadCase{"TrackKept", "[TAG]\nTrack=255\nAskTrack=0\nLeaveTrack=0\n",
                 [](const Settings& s) {
                     return s.tagFill.track == 255 && !s.tagFill.ask[kTrackRow] &&
                            !s.tagFill.leave[kTrackRow];
                 }},
        LoadCase{"TrackPast255IsNone", "[TAG]\nTrack=256\n",
                 [](const Settings& s) { return s.tagFill.track == 0; }},
        LoadCase{"TrackBelowOneIsNone", "[TAG]\nTrack=-7\n",
                 [](const Settings& s) { return s.tagFill.track == 0; }}),
    [](const auto& info) { return info.param.name; });

TEST(RunOptions, TakeEveryStoredValueAndTheTemplatesTheBoxesShow) {
    const Settings s = FullyPopulated();
    const BatchOptions options = BatchOptionsFromSettings(s);
    EXPECT_EQ(options.process, Process::TagToFilename);
    EXPECT_TRUE(options.clearStatus);
    EXPECT_EQ(options.program, s.program);
    EXPECT_EQ(options.tagToFilenameTemplate, "%N-%2");
    EXPECT_EQ(options.filenameToTag,
              (FilenameToTagOptions{false, s.oldStyle, QStringLiteral("%N. %1")}));
    EXPECT_FALSE(options.writeTagOnlyWhenNotPresent);
    EXPECT_EQ(options.tagFill, s.tagFill);
    EXPECT_TRUE(options.untagConfirmation);
    EXPECT_EQ(options.listTemplate, "%8%7.%9");
    EXPECT_TRUE(options.listShowProcessing);
    EXPECT_EQ(options.substitutions, s.substitutions);
}

TEST(RunOptions, WithNoEntrySelectedTheBoxesKeepTheirFirstTexts) {
    Settings s = FullyPopulated();
    s.tagToFilenamePresets.active = -1;
    s.listPresets.active = 7; // names no entry
    s.newStylePresets.active = -1;
    const BatchOptions options = BatchOptionsFromSettings(s);
    EXPECT_EQ(options.tagToFilenameTemplate, kTagToFilenameInitialText);
    EXPECT_EQ(options.listTemplate, kListInitialText);
    EXPECT_EQ(options.filenameToTag.newStyleTemplate, QString());

    const BatchOptions first = BatchOptionsFromSettings(DefaultSettings());
    EXPECT_EQ(first.tagToFilenameTemplate, BatchOptions{}.tagToFilenameTemplate);
    EXPECT_EQ(first.listTemplate, BatchOptions{}.listTemplate);
}

TEST(RunOptions, ValuesAreNoLongerThanTheirFieldsTake) {
    Settings s;
    s.tagFill.values = {QString(40, u'a'), QString(30, u'b'), QStringLiteral("short"),
                        QStringLiteral("19999"),
                        QString(29, u'c') + QStringLiteral("\u00E9\u00E9")};
    s.oldStyle.separator = QStringLiteral("0123456789AB");
    const BatchOptions options = BatchOptionsFromSettings(s);
    EXPECT_EQ(options.tagFill.values,
              (FieldTexts{QString(30, u'a'), QString(30, u'b'), QStringLiteral("short"),
                          QStringLiteral("1999"), QString(29, u'c') + QStringLiteral("\u00E9")}));
    EXPECT_EQ(options.filenameToTag.old.separator, "0123456789");
}

TEST(Settings, SaveKeepsForeignLinesAndStaleKeys) {
    TempDir dir;
    const QString path = dir.Path("Vantuke.Ini");
    Settings s = DefaultSettings();
    s.dirPresets = PresetList{{"/1/", "/2/", "/3/", "/4/", "/5/", "/6/", "/7/"}, 6};
    SaveSettings(path, s);
    QByteArray text = ReadFile(path);
    WriteFile(path, "; kept comment\n" + text + "\n[Mine]\nx = y \n");

    s.dirPresets.entries.resize(5);
    s.dirPresets.active = 6; // no longer an entry: saved as none
    SaveSettings(path, s);
    text = ReadFile(path);
    EXPECT_TRUE(text.startsWith("; kept comment\n[ProgramOptions]\n"));
    EXPECT_TRUE(text.endsWith("\n[Mine]\nx = y \n"));
    EXPECT_TRUE(text.contains("NoOfPresets=5\nActivePreset=-1\nPreset1=/1/\n"));
    EXPECT_TRUE(text.contains("Preset7=/7/\n"));
    EXPECT_EQ(LoadSettings(path).dirPresets, (PresetList{{"/1/", "/2/", "/3/", "/4/", "/5/"}, -1}));
}

TEST(Settings, TheSettingsFileIsBesideTheProgramOnlyWhereTheUserKeepsIt) {
    TempDir config;
    const QString configFile = config.Dir() + "Vantuke/Vantuke.Ini";
    TempDir writable;
    EXPECT_EQ(FindSettingsFile(writable.Dir(), config.Dir()),
              (SettingsFile{writable.Dir() + "Vantuke.Ini", false}));
    // Under /usr even root, who may write there, keeps the settings in his own folder.
    EXPECT_EQ(FindSettingsFile("/usr/bin/", config.Dir()), (SettingsFile{configFile, true}));
    EXPECT_EQ(FindSettingsFile("/usr/local/bin/", config.Dir()), (SettingsFile{configFile, true}));
    EXPECT_EQ(FindSettingsFile(writable.Dir() + "gone/", config.Dir()),
              (SettingsFile{configFile, true}));

    const testsupport::ReadOnlyFolder portable({"Vantuke.Ini"});
    const testsupport::ReadOnlyFolder installed;
    if (!portable.Ready())
        GTEST_SKIP() << portable.Why().toStdString();
    EXPECT_EQ(FindSettingsFile(portable.Dir(), config.Dir()),
              (SettingsFile{portable.Dir() + "Vantuke.Ini", false}));
    EXPECT_EQ(FindSettingsFile(installed.Dir(), config.Dir()), (SettingsFile{configFile, true}));
}

TEST(Settings, TheFirstSaveCreatesTheConfigurationFolder) {
    TempDir home;
    const SettingsFile file{home.Dir() + ".config/Vantuke/Vantuke.Ini", true};
    Settings s = DefaultSettings();
    s.untagConfirmation = true;
    SaveSettings(file, s);
    EXPECT_EQ(LoadSettings(file.path), s);
    SaveSettings(file, DefaultSettings()); // the folder is there now
    EXPECT_EQ(LoadSettings(file.path), DefaultSettings());

    // A file where the folder should be fails like the settings file itself.
    WriteFile(home.Path("blocked"), "x");
    const SettingsFile blocked{home.Dir() + "blocked/Vantuke/Vantuke.Ini", true};
    try {
        SaveSettings(blocked, s);
        FAIL() << "saved below a file";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + blocked.path);
        EXPECT_EQ(e.Path(), blocked.path);
    }
    // Without createFolder, a missing folder stays an error.
    EXPECT_THROW(SaveSettings(SettingsFile{home.Dir() + "other/Vantuke.Ini"}, s), IoError);
    EXPECT_FALSE(QFileInfo::exists(home.Path("other")));
}

TEST(Settings, SaveThroughAChainOfLinksReplacesTheRealFileOnly) {
    // Vantuke.Ini -> config/vantuke.ini -> ../store/vantuke.ini
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.Path("config")));
    ASSERT_TRUE(QDir().mkpath(dir.Path("store")));
    const QString top = dir.Path("Vantuke.Ini");
    const QString middle = dir.Path("config/vantuke.ini");
    const QString real = dir.Path("store/vantuke.ini");
    ASSERT_TRUE(QFile::link("config/vantuke.ini", top));
    ASSERT_TRUE(QFile::link("../store/vantuke.ini", middle));
    WriteFile(real, "[UnTag]\nConfirmation=0\n");

    Settings s = DefaultSettings();
    s.untagConfirmation = true;
    s.lastDir = "/srv/";
    SaveSettings(top, s);

    EXPECT_EQ(QFileInfo(top).symLinkTarget(), middle);
    EXPECT_EQ(QFileInfo(middle).symLinkTarget(), real);
    EXPECT_TRUE(ReadFile(real).contains("Confirmation=1\n"));
    const Settings loaded = LoadSettings(top);
    EXPECT_TRUE(loaded.untagConfirmation);
    EXPECT_EQ(loaded.lastDir, "/srv/");
}

TEST(Settings, APipeIsNoSettingsFileAndIsNeitherWaitedOnNorReplaced) {
    TempDir dir;
    const QString path = dir.Path("Vantuke.Ini");
    testsupport::PipeWriter writer(path, "[UnTag]\nConfirmation=1\n");
    EXPECT_EQ(LoadSettings(path), DefaultSettings());
    try {
        SaveSettings(path, DefaultSettings());
        ADD_FAILURE() << "saved over a pipe";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + path);
    }
    writer.Finish();
    EXPECT_FALSE(QFileInfo(path).isFile());
    EXPECT_TRUE(QFileInfo(path).exists());
}

TEST(Settings, AFileOver64MiBIsRefusedAndKept) {
    TempDir dir;
    const QString path = dir.Path("Vantuke.Ini");
    WriteFile(path, "[UnTag]\nConfirmation=1\n");
    const qint64 size = 65 * 1024 * 1024;
    ASSERT_TRUE(QFile::resize(path, size)); // sparse: takes no room on the disk
    for (const auto& action : std::initializer_list<std::function<void()>>{
             [&] { LoadSettings(path); }, [&] { SaveSettings(path, DefaultSettings()); }}) {
        try {
            action();
            ADD_FAILURE() << "a settings file of 65 MiB was taken";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Code(), IoError::kTooLarge);
            EXPECT_EQ(e.Text(), "File too large (over 64 MiB)");
            EXPECT_EQ(e.Path(), path);
        }
    }
    EXPECT_EQ(QFileInfo(path).size(), size);
    EXPECT_TRUE(ReadFile(path).startsWith("[UnTag]\nConfirmation=1\n"));
}

TEST(Settings, FailedSaveReportsThePathAndKeepsTheOldFile) {
    TempDir dir;
    const QString path = dir.Path("missing/Vantuke.Ini");
    try {
        SaveSettings(path, DefaultSettings());
        FAIL() << "saved into a missing folder";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + path);
    }

    const QString locked = dir.Path("Vantuke.Ini");
    WriteFile(locked, "[UnTag]\nConfirmation=1\n");
    testsupport::MakeReadOnly(locked);
    EXPECT_THROW(SaveSettings(locked, DefaultSettings()), IoError);
    EXPECT_EQ(ReadFile(locked), "[UnTag]\nConfirmation=1\n");
}

} // namespace
