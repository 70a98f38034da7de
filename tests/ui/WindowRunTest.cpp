// "EXECUTE!" from the window, compared with vantuke-cli running the same process with the
// same options over the same files: the status box must hold exactly the lines the CLI
// prints, and the files must end up byte for byte the same.
#include "WindowFixture.h"

#include "batch/ID3TagQuery.h"
#include "journal/History.h"
#include "platform/Directory.h"
#include "settings/options.h"
#include "support/LayoutCheck.h"
#include "ui/ExecutePage.h"
#include "ui/FileSelectionPage.h"
#include "ui/FilenameTagPage.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <deque>
#include <functional>

using namespace vantuke;
using testsupport::MakeTag;
using testsupport::WriteMp3;

namespace windowtest {
namespace {

struct CliResult {
    int exitCode = -1;
    QStringList lines;
    QString error;
};

CliResult RunCli(const QStringList& args, const QByteArray& input = {}) {
    QProcess cli;
    cli.start(qEnvironmentVariable("VANTUKE_CLI"), args);
    EXPECT_TRUE(cli.waitForStarted()) << "VANTUKE_CLI is not runnable";
    cli.write(input);
    cli.closeWriteChannel();
    EXPECT_TRUE(cli.waitForFinished(120000));
    CliResult result;
    result.exitCode = cli.exitCode();
    QString out = QString::fromUtf8(cli.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    result.lines = out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
    result.error = QString::fromUtf8(cli.readAllStandardError()).trimmed();
    return result;
}

using Snapshot = QMap<QString, QByteArray>;

// Answers the modal dialogs a run opens, one step per dialog, in order.
class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget& dialog)>;
    explicit ModalScript(std::deque<Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible())
                return;
            if (steps_.empty()) {
                // A dialog nobody expected: fail rather than wait for ever.
                ADD_FAILURE() << "unexpected dialog " << dialog->windowTitle().toStdString();
                if (auto* unexpected = qobject_cast<QDialog*>(dialog))
                    unexpected->reject();
                return;
            }
            Step step = std::move(steps_.front());
            steps_.pop_front();
            step(*dialog);
        });
        timer_.start(5);
    }
    bool Done() const { return steps_.empty(); }

private:
    std::deque<Step> steps_;
    QTimer timer_;
};

void Click(QWidget& dialog, const QString& caption) {
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->text() == caption) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << caption.toStdString();
}

class RunTest : public WindowTest {
protected:
    QString Path(const QString& name) const { return FilesDir() + name; }

    Snapshot Files() const {
        Snapshot files;
        const QDir dir(FilesDir());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            files.insert(name, testsupport::ReadFile(dir.filePath(name)));
        return files;
    }
    void Restore(const Snapshot& files) const {
        QDir dir(FilesDir());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            dir.remove(name);
        for (auto it = files.begin(); it != files.end(); ++it)
            testsupport::WriteFile(dir.filePath(it.key()), it.value());
    }

    static void ExpectSameFiles(const Snapshot& window, const Snapshot& cli) {
        EXPECT_EQ(window.keys(), cli.keys());
        for (auto it = window.begin(); it != window.end(); ++it)
            EXPECT_EQ(it.value(), cli.value(it.key())) << it.key().toStdString();
    }

    void ChooseProcess(Process process) {
        Form1().Processes()->Tabs()->SetCurrentIndex(int(process));
    }
    // Runs from the window as the user does, with the status box cleared at the start.
    QStringList RunWindow(const QStringList& entries) {
        Form1().FileSelection()->SetSelectionEntries(entries);
        Find<QCheckBox>(QStringLiteral("CheckBox19"))->setChecked(true);
        Find<QPushButton>(QStringLiteral("SpeedButton19"))->click();
        return Form1().StatusLines();
    }

    // Runs the window, puts the files back, runs the CLI, and compares lines and files.
    void ExpectSameAsCli(const QStringList& names, const QStringList& cliArgs,
                         const QByteArray& cliInput = {}) {
        QStringList entries;
        for (const QString& name : names)
            entries.append(Path(name));
        const Snapshot before = Files();
        const QStringList windowLines = RunWindow(entries);
        const Snapshot afterWindow = Files();
        const QStringList selection = Form1().FileSelection()->Selection().Entries();

        Restore(before);
        const CliResult cli = RunCli(cliArgs + entries, cliInput);
        ASSERT_TRUE(cli.exitCode == 0 || cli.exitCode == 1) << cli.error.toStdString();
        EXPECT_EQ(windowLines, cli.lines);
        ExpectSameFiles(afterWindow, Files());
        EXPECT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();
        // Renamed entries point at the new names.
        if (cli.exitCode == 0) {
            for (const QString& entry : selection)
                EXPECT_TRUE(QFile::exists(entry)) << entry.toStdString();
        }
        EXPECT_EQ(Find<QProgressBar>(QStringLiteral("ProgressBar1"))->value(), 0);
    }

    void MakeTaggedFiles() {
        WriteMp3(Path(QStringLiteral("one.mp3")), 300,
                 MakeTag("Song One", "Artist", "Album", "1999", "c", 17));
        WriteMp3(Path(QStringLiteral("Two Dots.MP3")), 200,
                 MakeTag("Second", "Band", {}, "2001", {}, 200));
        WriteMp3(Path(QStringLiteral("untagged.mp3")), 150);
        WriteMp3(Path(QStringLiteral("Band - Third.mp3")), 100, MakeTag("Third", "Band"));
    }
    const QStringList kTagged{QStringLiteral("one.mp3"), QStringLiteral("Two Dots.MP3"),
                              QStringLiteral("untagged.mp3"), QStringLiteral("Band - Third.mp3")};
};

TEST_F(RunTest, TagToFilenameMatchesTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::TagToFilename);
    Find<QComboBox>(QStringLiteral("ComboBox2"))->setEditText(QStringLiteral("%N %2 - %1 (%6)"));
    ExpectSameAsCli(kTagged, {QStringLiteral("tag-to-filename"), QStringLiteral("--template"),
                              QStringLiteral("%N %2 - %1 (%6)")});
}

TEST_F(RunTest, TagToFilenameCollisionsAreCountedLikeTheCli) {
    WriteMp3(Path(QStringLiteral("a.mp3")), 100, MakeTag("Same", "Name"));
    WriteMp3(Path(QStringLiteral("b.mp3")), 100, MakeTag("Same", "Name"));
    ChooseProcess(Process::TagToFilename);
    ExpectSameAsCli({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")},
                    {QStringLiteral("tag-to-filename")});
    EXPECT_TRUE(Form1().StatusLines().last().startsWith(QStringLiteral("Process Complete! (1 ")));
}

TEST_F(RunTest, FilenameToTagNewStyleMatchesTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::FilenameToTag);
    Find<QComboBox>(QStringLiteral("ComboBox5"))->setEditText(QStringLiteral("%2 - %1"));
    Find<QCheckBox>(QStringLiteral("CheckBox14"))->setChecked(false);
    ExpectSameAsCli(kTagged, {QStringLiteral("filename-to-tag"), QStringLiteral("--template"),
                              QStringLiteral("%2 - %1"), QStringLiteral("--overwrite")});
}

TEST_F(RunTest, FilenameToTagOldStyleMatchesTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::FilenameToTag);
    Form1().Processes()->FilenameTag()->SubMethods()->SetCurrentIndex(FilenameTagPage::kOldStyle);
    Find<QLineEdit>(QStringLiteral("Edit8"))->setText(QStringLiteral(" - "));
    Find<QCheckBox>(QStringLiteral("CheckBox17"))->setChecked(false);
    Form1().Processes()->FilenameTag()->findChildren<QRadioButton*>().at(1)->setChecked(true);
    ExpectSameAsCli(kTagged, {QStringLiteral("filename-to-tag"), QStringLiteral("--old-style"),
                              QStringLiteral("--separator"), QStringLiteral(" - "),
                              QStringLiteral("--keep-spaces"), QStringLiteral("--format"),
                              QStringLiteral("1")});
}

TEST_F(RunTest, TagWithPageValuesAndLeftFieldsMatchesTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::Tag);
    for (int box = 1; box <= 6; ++box)
        Find<QCheckBox>(QStringLiteral("CheckBox%1").arg(box))->setChecked(false);
    Find<QLineEdit>(QStringLiteral("Edit2"))->setText(QStringLiteral("Page Song"));
    Find<QLineEdit>(QStringLiteral("Edit5"))->setText(QStringLiteral("2024"));
    Find<QComboBox>(QStringLiteral("ComboBox1"))->setCurrentIndex(9);
    Find<QCheckBox>(QStringLiteral("CheckBox8"))->setChecked(true);  // leave artist
    Find<QCheckBox>(QStringLiteral("CheckBox11"))->setChecked(true); // leave comment
    ExpectSameAsCli(kTagged,
                    {QStringLiteral("tag"), QStringLiteral("--song-name"),
                     QStringLiteral("Page Song"), QStringLiteral("--album"), QString(),
                     QStringLiteral("--year"), QStringLiteral("2024"), QStringLiteral("--genre"),
                     QStringLiteral("9"), QStringLiteral("--leave"), QStringLiteral("artist"),
                     QStringLiteral("--leave"), QStringLiteral("comment")});
}

TEST_F(RunTest, TagAskedInTheDialogMatchesTheCliAnswers) {
    MakeTaggedFiles();
    ChooseProcess(Process::Tag);
    for (int box : {1, 2, 3, 5, 6}) // only the year is asked
        Find<QCheckBox>(QStringLiteral("CheckBox%1").arg(box))->setChecked(false);
    Find<QLineEdit>(QStringLiteral("Edit3"))->setText(QStringLiteral("Page Artist"));
    QStringList played;
    Form1().SetMp3Player([&played](const QString& path) { played.append(path); });
    Find<QCheckBox>(QStringLiteral("CheckBox13"))->setChecked(true);
    QStringList shownPaths;
    QStringList shownYears;
    QStringList shownNumbers;
    auto note = [&](QWidget& dialog) {
        shownNumbers.append(dialog.findChild<QLabel*>(QStringLiteral("EntryLabel"))->text());
        shownPaths.append(dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text());
        shownYears.append(dialog.findChild<QLineEdit*>(QStringLiteral("Edit5"))->text());
    };
    ModalScript script({
        [&](QWidget& dialog) {
            note(dialog);
            dialog.findChild<QLineEdit*>(QStringLiteral("Edit5"))->setText(QStringLiteral("1901"));
            Click(dialog, QStringLiteral("OK"));
        },
        [&](QWidget& dialog) {
            note(dialog);
            Click(dialog, QStringLiteral("&Ignore"));
        },
        [&](QWidget& dialog) {
            note(dialog);
            Click(dialog, QStringLiteral("OK")); // keeps the pre-filled page year (empty)
        },
        [&](QWidget& dialog) {
            note(dialog);
            Click(dialog, QStringLiteral("&Abort"));
        },
    });
    ExpectSameAsCli(kTagged,
                    {QStringLiteral("tag"), QStringLiteral("--artist"),
                     QStringLiteral("Page Artist"), QStringLiteral("--song-name"), QString(),
                     QStringLiteral("--album"), QString(), QStringLiteral("--comment"), QString(),
                     QStringLiteral("--genre"), QString(), QStringLiteral("--ask"),
                     QStringLiteral("year")},
                    "1901\n!ignore\n\n!abort\n");
    EXPECT_TRUE(script.Done());
    QStringList expectedPaths;
    for (const QString& name : kTagged)
        expectedPaths.append(Path(name));
    EXPECT_EQ(shownPaths, expectedPaths);
    EXPECT_EQ(shownNumbers, (QStringList{"1 of 4", "2 of 4", "3 of 4", "4 of 4"}));
    EXPECT_EQ(played, expectedPaths);
    EXPECT_EQ(shownYears,
              (QStringList{QStringLiteral("1999"), QStringLiteral("2001"), QString(), QString()}));
}

TEST_F(RunTest, UnTagMatchesTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::UnTag);
    ExpectSameAsCli(kTagged, {QStringLiteral("untag")});
}

TEST_F(RunTest, UnTagConfirmationAnswersMatchTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::UnTag);
    Find<QCheckBox>(QStringLiteral("CheckBox15"))->setChecked(true);
    QStringList questions;
    auto answer = [&questions](const QString& caption) {
        return [&questions, caption](QWidget& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Confirm"));
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("&Yes"));
            EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("Cancel"));
            questions.append(box->text());
            Click(dialog, caption);
        };
    };
    ModalScript script({answer(QStringLiteral("&Yes")), answer(QStringLiteral("&No")),
                        answer(QStringLiteral("Cancel"))});
    ExpectSameAsCli(kTagged, {QStringLiteral("untag"), QStringLiteral("--confirm")}, "y\nn\nc\n");
    EXPECT_TRUE(script.Done());
    ASSERT_EQ(questions.size(), 3);
    EXPECT_EQ(questions.first(), QStringLiteral("Remove TAG from file: ") +
                                     Path(QStringLiteral("one.mp3")) + QStringLiteral(" ?"));
}

TEST_F(RunTest, ListFilesMatchesTheCli) {
    MakeTaggedFiles();
    ChooseProcess(Process::ListFiles);
    Find<QComboBox>(QStringLiteral("ComboBox3"))
        ->setEditText(QStringLiteral("%N|%1|%2|%6|%7.%9|%8"));
    Find<QCheckBox>(QStringLiteral("CheckBox18"))->setChecked(true);
    ExpectSameAsCli(kTagged,
                    {QStringLiteral("list"), QStringLiteral("--template"),
                     QStringLiteral("%N|%1|%2|%6|%7.%9|%8"), QStringLiteral("--show-processing")});
}

TEST_F(RunTest, AdjustFileNameMatchesTheCli) {
    WriteMp3(Path(QStringLiteral("a_b__c.mp3")), 10);
    WriteMp3(Path(QStringLiteral("x:y.MP3")), 10);
    WriteMp3(Path(QStringLiteral("clip.wav")), 10);
    ChooseProcess(Process::AdjustFileName);
    for (const auto& [what, with] : {std::pair{QStringLiteral("_"), QStringLiteral("-")},
                                     std::pair{QStringLiteral("--"), QStringLiteral("-")},
                                     std::pair{QStringLiteral("y"), QStringLiteral("/")}}) {
        Find<QLineEdit>(QStringLiteral("Edit1"))->setText(what);
        Find<QLineEdit>(QStringLiteral("Edit9"))->setText(with);
        Find<QToolButton>(QStringLiteral("SpeedButton18"))->click();
    }
    ExpectSameAsCli({QStringLiteral("a_b__c.mp3"), QStringLiteral("x:y.MP3"),
                     QStringLiteral("clip.wav"), QStringLiteral("gone.mp3")},
                    {QStringLiteral("adjust"), QStringLiteral("--replace"), QStringLiteral("_"),
                     QStringLiteral("-"), QStringLiteral("--replace"), QStringLiteral("--"),
                     QStringLiteral("-"), QStringLiteral("--replace"), QStringLiteral("y"),
                     QStringLiteral("/")});
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("a-b-c.mp3"))));
}

// A name copied from Windows shows in the status box as Windows-1252; the run works on the
// file of exactly its bytes, not on the look-alike beside it.
TEST_F(RunTest, NamesThatAreNotUtf8ShowAsWindows1252InTheStatusBox) {
    const QString latin1 = testsupport::PathOfBytes(FilesDir(), "Caf\xE9.mp3");
    const QString lookAlike = testsupport::PathOfBytes(FilesDir(), "Caf\xEF\xBF\xBD.mp3");
    const QByteArray tagged = testsupport::AudioBytes(200) + MakeTag("Song", "Artist");
    testsupport::WriteFile(latin1, tagged);
    testsupport::WriteFile(lookAlike, tagged);
    ChooseProcess(Process::UnTag);
    const QStringList lines = RunWindow({latin1});
    EXPECT_TRUE(lines.filter(u"Caf\u00E9.mp3"_qs).size() >= 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QChar(0xDCE9)).isEmpty());
    EXPECT_EQ(lines.last(), "Process Complete! (0 errors)");
    EXPECT_EQ(Form1().FileSelection()->Selection().Entries(), QStringList{latin1});
    EXPECT_EQ(vantuke::StatusOf(latin1).size, 200);
    EXPECT_EQ(vantuke::StatusOf(lookAlike).size, 328);
}

TEST_F(RunTest, AnEmptySelectionIsCountedAsAnError) {
    ChooseProcess(Process::UnTag);
    const QStringList lines = RunWindow({});
    EXPECT_EQ(lines, RunCli({QStringLiteral("untag")}).lines);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Process selected: UnTAG"),
                                  QStringLiteral("Error #1: No files to process"),
                                  QStringLiteral("Process Complete! (1 errors)")}));
    // An empty run leaves a still bar, not a busy indicator.
    EXPECT_GT(Find<QProgressBar>(QStringLiteral("ProgressBar1"))->maximum(), 0);
}

TEST_F(RunTest, AnIoErrorEndsTheRunKeepsTheRenamesAndShowsTheErrorBox) {
    WriteMp3(Path(QStringLiteral("first.mp3")), 100, MakeTag("Song", "Artist"));
    testsupport::WriteFile(Path(QStringLiteral("short.mp3")), "tiny");
    WriteMp3(Path(QStringLiteral("third.mp3")), 100, MakeTag("Other", "Artist"));
    const QStringList entries{Path(QStringLiteral("first.mp3")), Path(QStringLiteral("short.mp3")),
                              Path(QStringLiteral("third.mp3"))};
    ChooseProcess(Process::TagToFilename);
    const Snapshot before = Files();
    const QStringList lines = RunWindow(entries);

    ASSERT_EQ(errors_.size(), 1);
    EXPECT_FALSE(lines.last().startsWith(QStringLiteral("Process Complete!")));
    EXPECT_EQ(
        Form1().FileSelection()->Selection().Entries(),
        (QStringList{Path(QStringLiteral("Artist - Song.mp3")), entries.at(1), entries.at(2)}));
    EXPECT_EQ(Find<QProgressBar>(QStringLiteral("ProgressBar1"))->value(), 1);

    Restore(before);
    const CliResult cli = RunCli(QStringList{QStringLiteral("tag-to-filename")} + entries);
    EXPECT_EQ(cli.exitCode, 2);
    // The program prints the file the error names on a line of its own under the message.
    EXPECT_EQ(cli.error, errors_.first() + '\n' + entries.at(1));
    EXPECT_EQ(lines, cli.lines);
}

// After a run the file list shows the tags the run wrote, also when an I/O error ended it
// after some were written.
TEST_F(RunTest, TheFileListShowsWhatTheRunLeft) {
    WriteMp3(Path(QStringLiteral("a.mp3")), 300);
    testsupport::WriteFile(Path(QStringLiteral("short.mp3")), "tiny");
    WriteMp3(Path(QStringLiteral("b.mp3")), 300);
    Form1().FileSelection()->DirTree()->SetDirectory(FilesDir());
    ChooseProcess(Process::Tag);
    for (int box = 1; box <= 6; ++box)
        Find<QCheckBox>(QStringLiteral("CheckBox%1").arg(box))->setChecked(false);
    Find<QLineEdit>(QStringLiteral("Edit3"))->setText(QStringLiteral("Band"));
    const QAbstractItemModel* list = Find<QTreeView>(QStringLiteral("ListView1"))->model();
    const auto tagCell = [list](const QString& name) {
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->index(row, 0).data().toString() == name)
                return list->index(row, 3).data().toString();
        }
        return QStringLiteral("not listed");
    };
    EXPECT_EQ(tagCell(QStringLiteral("a.mp3")), QStringLiteral("No"));

    RunWindow({Path(QStringLiteral("a.mp3")), Path(QStringLiteral("short.mp3")),
               Path(QStringLiteral("b.mp3"))});
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(tagCell(QStringLiteral("a.mp3")), QStringLiteral("Yes"));
    EXPECT_EQ(tagCell(QStringLiteral("b.mp3")), QStringLiteral("No"));

    RunWindow({Path(QStringLiteral("b.mp3"))});
    EXPECT_EQ(tagCell(QStringLiteral("b.mp3")), QStringLiteral("Yes"));
    EXPECT_EQ(list->index(0, 5).data().toString(), QStringLiteral("Band"));
}

TEST_F(RunTest, InputDuringARunIsNeitherNestedNorReplayed) {
    MakeTaggedFiles();
    ChooseProcess(Process::Tag); // every field asked: one dialog per file
    QPushButton* execute = Find<QPushButton>(QStringLiteral("SpeedButton19"));
    auto clickLater = [execute] {
        const QPointF centre = QRectF(execute->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                execute,
                new QMouseEvent(type, centre, execute->mapToGlobal(centre), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
        }
    };
    std::deque<ModalScript::Step> steps;
    for (int file = 0; file < 4; ++file) {
        steps.push_back([&](QWidget& dialog) {
            execute->click(); // the run is going on: no second run starts inside it
            clickLater();     // queued behind the dialog: dropped, not run afterwards
            Click(dialog, QStringLiteral("&Ignore"));
        });
    }
    ModalScript script(std::move(steps));
    const QStringList lines = RunWindow([this] {
        QStringList entries;
        for (const QString& name : kTagged)
            entries.append(Path(name));
        return entries;
    }());
    QCoreApplication::processEvents();
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(Form1().Running());
    EXPECT_EQ(Form1().StatusLines(), lines);
    EXPECT_EQ(lines.count(QStringLiteral("Process Complete! (0 errors)")), 1);
}

TEST_F(RunTest, TheWindowDoesNotCloseDuringARun) {
    MakeTaggedFiles();
    ChooseProcess(Process::Tag);
    bool closed = true;
    ModalScript script({[&](QWidget& dialog) {
        closed = Form1().close();
        Click(dialog, QStringLiteral("&Abort"));
    }});
    RunWindow({Path(QStringLiteral("one.mp3"))});
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(closed);
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

// "Undo last run": greyed out with nothing to undo; after a run it asks, takes the run back,
// gives the renamed entries their old names and reads the file list again.
TEST_F(RunTest, UndoLastRunTakesTheRunBack) {
    auto* undo = Find<QPushButton>(QStringLiteral("UndoLastRunButton"));
    EXPECT_EQ(undo->accessibleName(), QStringLiteral("Undo last run"));
    EXPECT_FALSE(undo->isEnabled());

    MakeTaggedFiles();
    const Snapshot before = Files();
    Form1().FileSelection()->DirTree()->SetDirectory(FilesDir());
    ChooseProcess(Process::TagToFilename);
    QStringList entries;
    for (const QString& name : kTagged)
        entries.append(Path(name));
    RunWindow(entries);
    EXPECT_NE(Files(), before);
    EXPECT_TRUE(undo->isEnabled());
    Form1().Steps()->SetCurrentIndex(2);
    layoutcheck::SaveScreenshot(Form1(), QStringLiteral("Step3-undo"));

    // No: nothing happens.
    const vantuke::KeptRun run = *vantuke::LastUndoableRun(vantuke::HistoryFolder());
    QString asked;
    {
        ModalScript script({[&](QWidget& box) {
            asked = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            Click(box, QStringLiteral("&No"));
        }});
        undo->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(asked, QStringLiteral("Undo the last run (TAG>Filename, 2 files, ") +
                         vantuke::RunTimeText(run.header.startMsec) + QStringLiteral(")?"));
    EXPECT_NE(Files(), before);

    // Yes, by Ctrl+Z from the first step: the status box is cleared first, as asked.
    Form1().Steps()->SetCurrentIndex(0);
    Form1().show();
    Form1().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form1()));
    {
        ModalScript script({[&](QWidget& box) { Click(box, QStringLiteral("&Yes")); }});
        QTest::keyClick(Find<QWidget>(QStringLiteral("DirTree1")), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(Files(), before);
    const QStringList lines = Form1().StatusLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Undoing run ") + run.id));
    EXPECT_EQ(lines.count(), 4); // "Band - Third.mp3" keeps its name
    EXPECT_EQ(lines.last(), QStringLiteral("Undo complete! (0 errors)"));
    EXPECT_EQ(Form1().FileSelection()->Selection().Entries(), entries);
    QStringList listed;
    auto* list = Find<QTreeView>(QStringLiteral("ListView1"));
    for (int row = 0; row < list->model()->rowCount(); ++row)
        listed.append(list->model()->index(row, 0).data().toString());
    listed.sort();
    QStringList names = kTagged;
    names.sort();
    EXPECT_EQ(listed, names);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();
    Form1().hide();
}

// After a run's output and after an undo's, the status box shows its last line, wherever it
// had been scrolled to, also when another step was shown meanwhile or the window was resized.
TEST_F(RunTest, TheStatusBoxScrollsToItsLastLineAfterEveryOutput) {
    MakeTaggedFiles();
    ChooseProcess(Process::TagToFilename);
    Form1().show();
    Form1().Steps()->SetCurrentIndex(2);
    auto* status = Find<QPlainTextEdit>(QStringLiteral("Memo1"));
    for (int i = 0; i < 200; ++i)
        status->appendPlainText(QString(100, QLatin1Char('x')));
    QScrollBar* down = status->verticalScrollBar();
    const auto scrollAway = [&] {
        QApplication::processEvents();
        down->setValue(0);
        status->horizontalScrollBar()->setValue(status->horizontalScrollBar()->maximum());
    };
    const auto expectLastLine = [&] {
        QApplication::processEvents();
        EXPECT_EQ(down->value(), down->maximum());
        EXPECT_EQ(status->horizontalScrollBar()->value(), 0);
    };
    Form1().FileSelection()->SetSelectionEntries({Path(QStringLiteral("one.mp3"))});
    scrollAway();
    Find<QPushButton>(QStringLiteral("SpeedButton19"))->click();
    expectLastLine();
    Form1().resize(700, 600);
    expectLastLine();

    scrollAway();
    Form1().Steps()->SetCurrentIndex(0);
    ModalScript script({[&](QWidget& box) { Click(box, QStringLiteral("&Yes")); }});
    Find<QPushButton>(QStringLiteral("UndoLastRunButton"))->click();
    ASSERT_TRUE(Form1().StatusLines().last().startsWith(QStringLiteral("Undo complete!")));
    Form1().Steps()->SetCurrentIndex(2);
    expectLastLine();
    Form1().hide();
}

// The playlists added on step 1 follow the files runs rename, run after run and after an
// undo: the window keeps each playlist as it last read or wrote it (or undo put it back).
TEST_F(RunTest, PlaylistsFollowRunAfterRunAndUndo) {
    WriteMp3(Path(QStringLiteral("a.mp3")), 100, MakeTag("One", "Band"));
    WriteMp3(Path(QStringLiteral("b.mp3")), 100, MakeTag("Two", "Band"));
    const QString list = Path(QStringLiteral("list.m3u"));
    testsupport::WriteFile(list, "#EXTM3U\r\na.mp3\r\nb.mp3\r\n");
    ProgramOptions options;
    options.updatePlaylists = true;
    windows_->Options().SetOptions(options);
    Form1().FileSelection()->AddPaths({list});
    ChooseProcess(Process::TagToFilename);
    Find<QCheckBox>(QStringLiteral("CheckBox19"))->setChecked(true);
    auto* execute = Find<QPushButton>(QStringLiteral("SpeedButton19"));
    execute->click();
    EXPECT_EQ(testsupport::ReadFile(list), "#EXTM3U\r\nBand - One.mp3\r\nBand - Two.mp3\r\n");
    EXPECT_EQ(
        Form1().StatusLines().mid(Form1().StatusLines().size() - 2),
        (QStringList{QStringLiteral("Playlist updated: ") + list + QStringLiteral(" (2 entries)"),
                     QStringLiteral("Process Complete! (0 errors)")}));

    WriteMp3(Path(QStringLiteral("Band - One.mp3")), 100, MakeTag("Uno", "Band"));
    execute->click();
    const QByteArray second = "#EXTM3U\r\nBand - Uno.mp3\r\nBand - Two.mp3\r\n";
    EXPECT_EQ(testsupport::ReadFile(list), second);
    EXPECT_EQ(Form1().StatusLines().last(), QStringLiteral("Process Complete! (0 errors)"));

    {
        ModalScript script({[&](QWidget& box) { Click(box, QStringLiteral("&Yes")); }});
        Find<QPushButton>(QStringLiteral("UndoLastRunButton"))->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(testsupport::ReadFile(list), "#EXTM3U\r\nBand - One.mp3\r\nBand - Two.mp3\r\n");
    execute->click();
    EXPECT_EQ(testsupport::ReadFile(list), second);
    EXPECT_EQ(Form1().StatusLines().last(), QStringLiteral("Process Complete! (0 errors)"));
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();
}

} // namespace
} // namespace windowtest
