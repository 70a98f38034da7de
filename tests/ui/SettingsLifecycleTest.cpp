// Settings across a restart of the window, saving when the window or the Options dialog
// closes, and "Save status to txt".
#include "WindowFixture.h"

#include "selection/FileList.h"
#include "settings/Settings.h"
#include "settings/options.h"
#include "support/ModalAnswer.h"
#include "ui/About.h"
#include "ui/ExecutePage.h"
#include "ui/FileSelectionPage.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QToolButton>

using namespace vantuke;

namespace windowtest {
namespace {

// Settings that differ from the defaults in every value.
Settings Changed(const QString& lastDir) {
    Settings s;
    s.program = ProgramOptions{3, 0, false};
    s.program.codec = TagCodec{FindCodePage(u"KOI8-R"), true};
    s.lastDir = lastDir;
    s.clearStatus = true;
    s.untagConfirmation = true;
    s.oldStyle = OldStyleOptions{QStringLiteral("_x_"), false, -1};
    s.writeTagOnlyWhenNotPresent = false;
    s.newStylePresets = PresetList{{QStringLiteral("%1 (%4)"), QStringLiteral("%2")}, 1};
    s.tagFill.values = {QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("B"),
                        QStringLiteral("2001"), QStringLiteral("C")};
    s.tagFill.genre = 147;
    s.tagFill.ask = {false, true, false, true, false, true};
    s.tagFill.leave = {true, true, false, false, false, false};
    s.tagToFilenamePresets = PresetList{{QStringLiteral("%N-%1")}, 0};
    s.listPresets = PresetList{{QStringLiteral("%7"), QStringLiteral("%8")}, -1};
    s.listShowProcessing = true;
    s.substitutions = {{QStringLiteral("_"), QStringLiteral(" ")},
                       {QStringLiteral(" "), QString()}};
    s.dirPresets = PresetList{{QStringLiteral("/tmp/"), QStringLiteral("?")}, 0};
    s.window = WindowLayout{40, 50, 700, 500, false, 210, 120, {}};
    for (int column = 0; column < kFileListColumnCount; ++column)
        s.window.columns.append(
            ColumnWidth{QLatin1String(FileListColumns[size_t(column)].caption), 60 + column});
    s.id3v2ToTag.leave = {false, true, false, false, true, false, true};
    s.id3v2ToTag.onlyEmpty = true;
    s.id3v2ToTag.createTag = false;
    return s;
}

class LifecycleTest : public WindowTest {};

TEST_F(LifecycleTest, ClosingWritesTheSettingsEvenWhenNothingChanged) {
    ASSERT_FALSE(QFile::exists(SettingsFile()));
    // A window never shown has no place to keep; its columns have their first widths.
    const WindowLayout layout = Form1().CurrentLayout();
    EXPECT_FALSE(layout.HasPlace());
    EXPECT_EQ(layout.columns.size(), kFileListColumnCount);
    ASSERT_TRUE(Close());
    ASSERT_TRUE(QFile::exists(SettingsFile()));
    Settings first = DefaultSettings();
    first.lastDir = QStringLiteral("?");
    first.window = layout;
    EXPECT_EQ(LoadSettings(SettingsFile()), first);
}

TEST_F(LifecycleTest, ASettingsFileTooLargeToReadIsReportedAndKept) {
    testsupport::WriteFile(SettingsFile(), "[UnTag]\nConfirmation=1\n");
    const qint64 size = 65 * 1024 * 1024;
    ASSERT_TRUE(QFile::resize(SettingsFile(), size)); // sparse: takes no room on the disk
    Start();
    EXPECT_EQ(errors_, QStringList{QStringLiteral("File too large (over 64 MiB)")});
    EXPECT_EQ(Form1().CurrentSettings().untagConfirmation, false);
    // The closing save refuses too, rather than replace what it could not read.
    ASSERT_TRUE(Close());
    EXPECT_EQ(errors_.size(), 2);
    EXPECT_EQ(QFileInfo(SettingsFile()).size(), size);
}

TEST_F(LifecycleTest, EveryStoredValueSurvivesARestart) {
    ASSERT_TRUE(QDir().mkpath(FilesDir() + QStringLiteral("Music/Rock")));
    const Settings stored = Changed(FilesDir() + QStringLiteral("Music/Rock/"));
    SaveSettings(SettingsFile(), stored);

    Start();
    EXPECT_EQ(Form1().CurrentSettings(), stored);
    ASSERT_TRUE(Close());
    Start();
    EXPECT_EQ(Form1().CurrentSettings(), stored);
    EXPECT_EQ(LoadSettings(SettingsFile()), stored);
}

TEST_F(LifecycleTest, LoadedTemplatesAreWhatAProcessUses) {
    SaveSettings(SettingsFile(), Changed(QStringLiteral("?")));
    Start();
    // An entry named as active shows; a list with none active keeps the window's text.
    EXPECT_EQ(Find<QComboBox>(QStringLiteral("ComboBox2"))->currentText(), QStringLiteral("%N-%1"));
    EXPECT_EQ(Find<QComboBox>(QStringLiteral("ComboBox3"))->currentText(),
              QStringLiteral("File %7.%9 were made by %2"));
    EXPECT_EQ(Find<QComboBox>(QStringLiteral("ComboBox5"))->currentText(), QStringLiteral("%2"));
}

TEST_F(LifecycleTest, AFailedSaveOnCloseIsReportedAndTheWindowStillCloses) {
    const QString unreachable = FilesDir() + QStringLiteral("missing/Vantuke.Ini");
    Form1().SetSettingsPath(unreachable);
    Form1().show();
    EXPECT_TRUE(Close());
    EXPECT_FALSE(Form1().isVisible());
    EXPECT_EQ(errors_, QStringList{QStringLiteral("Unable to write to ") + unreachable + '.'});
}

TEST_F(LifecycleTest, ClosingTheOptionsDialogSavesItsValues) {
    windows_->Options().SetOptions(ProgramOptions{2, 3, false});
    windows_->Options().show();
    windows_->Options().close();
    EXPECT_EQ(LoadSettings(SettingsFile()).program, (ProgramOptions{2, 3, false}));
}

TEST_F(LifecycleTest, TheOptionsButtonShowsTheDialogModallyAndSavesOnClose) {
    modalanswer::AnswerModal(windows_->Options(), [](QDialog& dialog) { dialog.close(); });
    Find<QToolButton>(QStringLiteral("SpeedButton20"))->click();
    EXPECT_TRUE(QFile::exists(SettingsFile()));
}

TEST_F(LifecycleTest, TheAboutButtonShowsTheAboutBoxModally) {
    bool shown = false;
    modalanswer::AnswerModal(windows_->About(), [&shown](QDialog& dialog) {
        shown = true;
        dialog.accept();
    });
    Find<QToolButton>(QStringLiteral("SpeedButton21"))->click();
    EXPECT_TRUE(shown);
}

TEST_F(LifecycleTest, TheAboutBoxShowsTheSettingsFileInUse) {
    for (const QString& path : {SettingsFile(), FilesDir() + QStringLiteral("elsewhere.ini")}) {
        Form1().SetSettingsPath(path);
        QString shown;
        modalanswer::AnswerModal(windows_->About(), [&shown](QDialog& dialog) {
            shown = dialog.findChild<QLabel*>(QStringLiteral("SettingsPath"))->toolTip();
            dialog.accept();
        });
        Find<QToolButton>(QStringLiteral("SpeedButton21"))->click();
        EXPECT_EQ(shown, path);
    }
}

class StatusFileTest : public WindowTest {
protected:
    // Answers the save dialog with path, after checking how it is set up.
    void AnswerWith(const QString& path) {
        Form1().SetFileDialogRunner([path, this](QFileDialog& dialog) {
            asked_ = true;
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save status box"));
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog.nameFilters(), (QStringList{QStringLiteral("All files (*.*)"),
                                                         QStringLiteral("Text files (*.txt)")}));
            EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
            EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
            return path;
        });
    }
    void PressSave() { Find<QToolButton>(QStringLiteral("SpeedButton22"))->click(); }
    QPlainTextEdit& Status() { return *Find<QPlainTextEdit>(QStringLiteral("Memo1")); }

    bool asked_ = false;
};

TEST_F(StatusFileTest, EveryLineEndsInCarriageReturnLineFeedAndReplacesTheFile) {
    const QString path = folder_.Path(QStringLiteral("status.txt"));
    testsupport::WriteFile(path, QByteArray(500, 'x'));
    Status().appendPlainText(QStringLiteral("Müller - Ärger"));
    AnswerWith(path);
    PressSave();
    EXPECT_TRUE(asked_);
    EXPECT_EQ(testsupport::ReadFile(path), QByteArray("Process selected: TAG>Filename\r\n") +
                                               QStringLiteral("Müller - Ärger\r\n").toUtf8());
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(StatusFileTest, AnEmptyStatusBoxGivesAnEmptyFile) {
    const QString path = folder_.Path(QStringLiteral("empty.txt"));
    Status().clear();
    AnswerWith(path);
    PressSave();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(testsupport::ReadFile(path), QByteArray());
}

TEST_F(StatusFileTest, CancellingWritesNothing) {
    AnswerWith(QString());
    PressSave();
    EXPECT_TRUE(asked_);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(StatusFileTest, FailuresAreReportedAndLeaveTheStatusBoxAlone) {
    const QString paths[] = {FilesDir() + QStringLiteral("no/such/folder.txt"),
                             // Opens fine; every write fails ("disk full").
                             QStringLiteral("/dev/full")};
    for (const QString& path : paths) {
        errors_.clear();
        AnswerWith(path);
        PressSave();
        EXPECT_EQ(errors_, QStringList{QStringLiteral("Cannot create file ") + path + '.'})
            << path.toStdString();
        EXPECT_EQ(Form1().StatusLines().size(), 1);
    }
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)) {
        had_ = qEnvironmentVariableIsSet(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_ = false;
};

// Qt's file dialog keeps its history in ~/.config/QtProject.conf, shared by every Qt
// program. The program neither reads nor writes it.
TEST_F(StatusFileTest, TheSaveDialogKeepsNoStateOfItsOwn) {
    testsupport::TempDir home;
    const QString config = home.Dir() + QStringLiteral(".config/");
    const ScopedEnv homeVar("HOME", QFile::encodeName(home.Path()));
    const ScopedEnv configVar("XDG_CONFIG_HOME", QFile::encodeName(config));
    ASSERT_TRUE(QDir().mkpath(config));
    const QString qtFile = config + QStringLiteral("QtProject.conf");
    const testsupport::TempDir visited; // a folder another Qt program's dialog was in
    const QByteArray planted = "[FileDialog]\nhistory=file://" + QFile::encodeName(visited.Path()) +
                               "\nlastVisited=file://" + QFile::encodeName(visited.Path()) +
                               "\nsidebarWidth=90\n";
    testsupport::WriteFile(qtFile, planted);
    Start(); // as a program start would, with this user's folders

    QStringList history;
    Form1().SetFileDialogRunner([&](QFileDialog& dialog) {
        dialog.show(); // the dialog takes up its stored state as it appears
        history = dialog.history() << dialog.directory().path();
        dialog.hide();
        return folder_.Path(QStringLiteral("status.txt"));
    });
    PressSave();
    EXPECT_TRUE(testsupport::ReadFile(folder_.Path(QStringLiteral("status.txt"))).size() > 0);
    EXPECT_FALSE(history.contains(visited.Path())) << history.join(',').toStdString();
    EXPECT_EQ(testsupport::ReadFile(qtFile), planted);
    EXPECT_EQ(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("QtProject.conf")});
    EXPECT_EQ(QDir(home.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral(".config")});

    // The check above can see a write: a file dialog that may use the store rewrites it.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    { QFileDialog other; }
    EXPECT_NE(testsupport::ReadFile(qtFile), planted);
    Start(); // puts the store away again for the tests after this one
}

} // namespace
} // namespace windowtest
