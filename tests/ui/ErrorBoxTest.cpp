// The error box names the file an error came from: the message stays as it is, and the path
// stands under it where the user reads it without a further click.
#include "WindowFixture.h"

#include "platform/IoError.h"
#include "support/LayoutCheck.h"
#include "support/TestFiles.h"
#include "ui/ErrorGuard.h"
#include "ui/FileSelectionPage.h"
#include "ui/MainWindow.h"
#include "ui/WindowBatchHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <stdexcept>

using namespace vantuke;

namespace windowtest {
namespace {

struct ShownBox {
    std::string text;
    std::string path;
    bool operator==(const ShownBox&) const = default;
};

void PrintTo(const ShownBox& box, std::ostream* out) {
    *out << '"' << box.text << "\" under it \"" << box.path << '"';
}

ShownBox Box(const QString& text, const QString& path) {
    return {text.toStdString(), path.toStdString()};
}

// Records each box with its detail, as the user would read it.
class ErrorBoxTest : public WindowTest {
protected:
    ErrorBoxTest() {
        SetErrorBoxHandler([this](QWidget*, const QString& text, const QString& path) {
            boxes_.push_back(Box(text, path));
        });
    }

    std::vector<ShownBox> boxes_;
};

struct GuardCase {
    const char* name;
    std::function<void()> action;
    ShownBox expected;
};

void PrintTo(const GuardCase& c, std::ostream* out) {
    *out << c.name;
}

class GuardTest : public ErrorBoxTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(GuardTest, ShowsTheMessageAndThePathUnderIt) {
    EXPECT_FALSE(RunGuarded(&Form1(), GetParam().action));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_.front(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, GuardTest,
    ::testing::Values(
        GuardCase{"named_file",
                  [] { throw IoError::FromErrno(ENOENT).WithPath("/music/a b/gone.mp3"); },
                  Box("File not found.", "/music/a b/gone.mp3")},
        // The full stop rule is the message's own: a path never changes it.
        GuardCase{"text_ending_in_a_full_stop",
                  [] { throw IoError(5, "Denied.").WithPath("/music/x.mp3"); },
                  Box("Denied.", "/music/x.mp3")},
        GuardCase{"no_file_known", [] { throw IoError::DiskFull(); }, Box("Disk full.", "")},
        // A message that names the file already is not followed by it again.
        GuardCase{"message_names_the_file",
                  [] {
                      throw IoError(5, "Unable to write to /cfg/Vantuke.Ini")
                          .WithPath("/cfg/Vantuke.Ini");
                  },
                  Box("Unable to write to /cfg/Vantuke.Ini.", "")},
        GuardCase{"other_exception", [] { throw std::runtime_error("Out of memory"); },
                  Box("Out of memory.", "")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ErrorBoxTest, ARecorderOfTheTextAloneStillSeesTheText) {
    QStringList texts;
    SetErrorBoxHandler([&texts](QWidget*, const QString& text) { texts << text; });
    RunGuarded(&Form1(), [] { throw IoError::FromErrno(ENOENT).WithPath("/music/gone.mp3"); });
    EXPECT_EQ(texts, QStringList{QStringLiteral("File not found.")});
}

// The box itself, as the desktop shows it.
TEST_F(ErrorBoxTest, TheBoxShowsThePathUnderTheMessageAsPlainText) {
    SetErrorBoxHandler({});
    const QString path = QStringLiteral("/music/<b>bold</b> & co/Track 01.mp3");
    bool seen = false;
    QTimer::singleShot(0, &Form1(), [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr) << "no error box";
        seen = true;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Vantuke"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->text(), QStringLiteral("File access denied."));
        EXPECT_EQ(box->informativeText(), path);
        EXPECT_TRUE(box->detailedText().isEmpty()) << "the path must not hide behind a button";
        auto* under = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_NE(under, nullptr);
        EXPECT_TRUE(under->isVisible());
        EXPECT_EQ(under->textFormat(), Qt::PlainText);
        layoutcheck::SaveScreenshot(*box, QStringLiteral("error-box"));
        box->accept();
    });
    ShowErrorBox(&Form1(), QStringLiteral("File access denied"), path);
    EXPECT_TRUE(seen);
}

// Real failures in the window: the file list, a playlist, a run.
TEST_F(ErrorBoxTest, AFailedPlaylistReadNamesThePlaylist) {
    const QString playlist = FilesDir() + QStringLiteral("gone.m3u");
    testsupport::WriteFile(playlist, "");
    FileSelectionPage& page = *Form1().FileSelection();
    page.DirTree()->SetDirectory(FilesDir());
    Find<QComboBox>(QStringLiteral("FilterComboBox1"))->setCurrentIndex(2);
    QTreeView* files = Find<QTreeView>(QStringLiteral("ListView1"));
    ASSERT_EQ(files->model()->rowCount(), 1);
    files->selectAll();
    QFile::remove(playlist);
    Find<QToolButton>(QStringLiteral("SpeedButton13"))->click();
    EXPECT_EQ(boxes_, (std::vector<ShownBox>{Box("File not found.", playlist)}));
}

TEST_F(ErrorBoxTest, AFailedRunNamesTheFile) {
    const QString tiny = FilesDir() + QStringLiteral("tiny.mp3");
    testsupport::WriteFile(tiny, "tiny");
    Form1().FileSelection()->SetSelectionEntries({tiny});
    Form1().Execute();
    // Too short to hold a tag: the seek to where a tag would start fails.
    EXPECT_EQ(boxes_, (std::vector<ShownBox>{Box("I/O error 22.", tiny)}));
}

// The question before a tag is cut shows the file's name as it is too.
TEST_F(ErrorBoxTest, TheUnTagQuestionShowsTheNameAsItIs) {
    const QString path = QStringLiteral("/music/<i>live</i>/Track 01.mp3");
    QString shown;
    QTimer::singleShot(0, &Form1(), [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr) << "no question";
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        shown = box->text();
        box->reject();
    });
    QPlainTextEdit status;
    QProgressBar progress;
    QCheckBox play;
    WindowBatchHost host(Form1(), status, progress, nullptr, play, {});
    EXPECT_EQ(host.ConfirmTagRemoval(path), ConfirmAnswer::Cancel);
    EXPECT_EQ(shown, QStringLiteral("Remove TAG from file: ") + path + QStringLiteral(" ?"));
}

} // namespace
} // namespace windowtest
