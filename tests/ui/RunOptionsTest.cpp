// The window and vantuke-cli read the same settings file into the same run options.
#include "WindowFixture.h"

#include "CliRun.h"
#include "settings/Settings.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

using namespace vantuke;

namespace windowtest {
namespace {

void ExpectSameOptions(const BatchOptions& window, const BatchOptions& cli) {
    EXPECT_EQ(window.process, cli.process);
    EXPECT_EQ(window.clearStatus, cli.clearStatus);
    EXPECT_EQ(window.program, cli.program);
    EXPECT_EQ(window.tagToFilenameTemplate, cli.tagToFilenameTemplate);
    EXPECT_EQ(window.filenameToTag.oldStyle, cli.filenameToTag.oldStyle);
    EXPECT_EQ(window.filenameToTag.old, cli.filenameToTag.old);
    EXPECT_EQ(window.filenameToTag.newStyleTemplate, cli.filenameToTag.newStyleTemplate);
    EXPECT_EQ(window.writeTagOnlyWhenNotPresent, cli.writeTagOnlyWhenNotPresent);
    for (int row = 0; row < kTextFieldCount; ++row)
        EXPECT_EQ(window.tagFill.values[row], cli.tagFill.values[row]) << "row " << row;
    EXPECT_EQ(window.tagFill, cli.tagFill);
    EXPECT_EQ(window.untagConfirmation, cli.untagConfirmation);
    EXPECT_EQ(window.listTemplate, cli.listTemplate);
    EXPECT_EQ(window.listShowProcessing, cli.listShowProcessing);
    EXPECT_EQ(window.substitutions, cli.substitutions);
    EXPECT_TRUE(window == cli) << "a value the checks above do not name differs";
}

class RunOptionsTest : public WindowTest {
protected:
    void ExpectWindowAgreesWithCliForEveryProcess() {
        for (int process = 0; process < kProcessCount; ++process) {
            SCOPED_TRACE(ProcessCaption(Process(process)).toStdString());
            Form1().Processes()->Tabs()->SetCurrentIndex(process);
            cli::CliRequest request;
            request.process = Process(process);
            request.settingsFile = SettingsFile();
            ExpectSameOptions(Form1().CollectBatchOptions(), cli::BuildOptions(request));
        }
    }
};

TEST_F(RunOptionsTest, WindowAndCommandLineReadOneSettingsFileAlike) {
    // Values the window's fields cut (a song name and a separator too long, an artist whose
    // last character is a pair of UTF-16 units at the field's end, a five-digit year), a
    // genre past the table, chosen and unchosen presets, and every other value changed.
    const QString artist = QString(29, u'a') + QString::fromUcs4(U"\U0001F3B5");
    testsupport::WriteFile(
        SettingsFile(),
        "[ProgramOptions]\nExtensionFormat=3\nNumberOfDigits=2\nEraseReadOnlyAttr=0\n"
        "ClearStatus=1\n"
        "[UnTag]\nConfirmation=1\n"
        "[FilenameTAG]\nSeparator=0123456789AB\nClearSpaces=0\nWriteTAGonlyWhenNotPresent=0\n"
        "Format=3\nNoOfPresets=2\nActivePreset=1\nPreset1=%1\nPreset2=(%2) %1\n"
        "[TAG]\nSongName=" +
            QByteArray(40, 's') + "\nArtist=" + artist.toUtf8() +
            "\nAlbum=Album\nYear=20201\nComment=\"quoted\"\nGenre=200\nAskSongName=0\n"
            "AskGenre=0\nLeaveArtist=1\nLeaveYear=1\n"
            "[TagToFilename]\nNoOfPresets=2\nActivePreset=0\nPreset1=%N %1\nPreset2=%2\n"
            "[ListFilesTags]\nNoOfPresets=1\nActivePreset=-1\nPreset1=%7\nDisplayMessage=1\n"
            "[AdjustFilename]\nNoOfReplaceDefinitions=2\nReplace1What=\" \"\nReplace1With=\"_\"\n"
            "Replace2What=\"\"a\"\nReplace2With=\n");
    Start();
    ExpectWindowAgreesWithCliForEveryProcess();
    EXPECT_EQ(Form1().CollectBatchOptions().tagFill.values[0], QString(30, u's'));
}

TEST_F(RunOptionsTest, AnEmptySettingsFileGivesBothTheWindowsFirstTexts) {
    testsupport::WriteFile(SettingsFile(), "[ProgramOptions]\nClearStatus=1\n");
    Start();
    ExpectWindowAgreesWithCliForEveryProcess();
}

} // namespace
} // namespace windowtest
