// The tag text code page in the window: the Options dialog's list and its "Guess…" over step
// 1's selection, the file list read in the chosen page, and the look of both dialogs.
#include "WindowFixture.h"

#include "settings/CodePageGuessDialog.h"
#include "settings/Settings.h"
#include "settings/options.h"
#include "support/LayoutCheck.h"
#include "support/SongTexts.h"
#include "ui/FileSelectionPage.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

using namespace vantuke;

namespace windowtest {
namespace {

const CodePage& Page(const char16_t* name) {
    return *FindCodePage(name);
}

class CodePageWindowTest : public WindowTest {
protected:
    // The Russian songs, tagged in Windows-1251, in the files' folder; their paths.
    QStringList MakeRussianFiles() {
        const CodePage& cyrillic = Page(u"windows-1251");
        QStringList paths;
        for (const char* line : testsupport::kRussianSongs) {
            const QStringList song = QString::fromUtf8(line).split(u'|');
            const QString path = FilesDir() + QStringLiteral("%1.mp3").arg(paths.size() + 1, 2, 10,
                                                                           QLatin1Char('0'));
            const auto bytes = [&](const QString& text) {
                return cyrillic.Encode(text, false).bytes;
            };
            testsupport::WriteMp3(
                path, 300, testsupport::MakeTag(bytes(song[1]), bytes(song[0]), bytes(song[2])));
            paths << path;
        }
        return paths;
    }

    TForm4& Options() { return windows_->Options(); }
};

TEST_F(CodePageWindowTest, GuessOverTheSelectedFilesSetsThePageChosen) {
    Form1().FileSelection()->AddPaths(MakeRussianFiles());
    QStringList shown;
    QString message;
    bool okEnabled = false;
    Form1().SetGuessDialogRunner([&](CodePageGuessDialog& dialog) -> const CodePage* {
        message = dialog.Message()->text();
        okEnabled = dialog.OkButton()->isEnabled();
        for (int row = 0; row < dialog.List()->count(); ++row)
            shown << dialog.List()->item(row)->text();
        for (const QSize size : {QSize(372, 471), QSize(900, 650)}) {
            dialog.resize(size);
            dialog.show();
            layoutcheck::ExpectNothingClipped(dialog);
            layoutcheck::SaveScreenshot(
                dialog, QStringLiteral("GuessCodePage-%1x%2").arg(size.width()).arg(size.height()));
        }
        dialog.hide();
        return dialog.ChosenPage();
    });
    ASSERT_EQ(Options().Options().codec.page, &DefaultCodePage());
    Options().GuessButton()->click();

    EXPECT_EQ(message,
              QStringLiteral("The tags of the 20 selected files are likely in these code "
                             "pages, best first. Choose the one in which they read right:"));
    EXPECT_TRUE(okEnabled);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown.first().startsWith(QStringLiteral("Cyrillic (Windows-1251), confidence ")));
    EXPECT_TRUE(shown.first().contains(
        QString::fromUtf8("\n    Скованные одной цепью / Наутилус Помпилиус / Разлука")));
    EXPECT_EQ(Options().Options().codec.page, &Page(u"windows-1251"));
    EXPECT_EQ(Options().CodePageList()->currentText(), QStringLiteral("Cyrillic (Windows-1251)"));
}

TEST_F(CodePageWindowTest, AGuessWithNothingToGoOnSaysWhyAndChangesNothing) {
    const struct {
        QStringList paths;
        const char* message;
    } cases[] = {
        {{},
         "No files are selected on step 1: select the files whose tags to read, then guess "
         "again."},
        {{QStringLiteral("plain.mp3")},
         "The tags of the selected file hold ASCII text only: every code page reads them "
         "alike."},
        {{QStringLiteral("none.mp3")}, "The selected file has no tag."},
    };
    testsupport::WriteMp3(FilesDir() + QStringLiteral("plain.mp3"), 300,
                          testsupport::MakeTag("Plain", "Text"));
    testsupport::WriteMp3(FilesDir() + QStringLiteral("none.mp3"), 300);
    for (const auto& c : cases) {
        Form1().FileSelection()->SetSelectionEntries({});
        QStringList paths;
        for (const QString& name : c.paths)
            paths << FilesDir() + name;
        Form1().FileSelection()->AddPaths(paths);
        QString message;
        bool okEnabled = true;
        Form1().SetGuessDialogRunner([&](CodePageGuessDialog& dialog) -> const CodePage* {
            message = dialog.Message()->text();
            okEnabled = dialog.OkButton()->isEnabled();
            EXPECT_EQ(dialog.ChosenPage(), nullptr);
            return dialog.ChosenPage();
        });
        Options().GuessButton()->click();
        EXPECT_EQ(message, QString::fromUtf8(c.message));
        EXPECT_FALSE(okEnabled);
        EXPECT_EQ(Options().Options().codec.page, &DefaultCodePage());
    }
}

TEST_F(CodePageWindowTest, TheFileListReadsTagsInThePageTheOptionsDialogLeavesChosen) {
    MakeRussianFiles();
    Form1().FileSelection()->DirTree()->SetDirectory(FilesDir());
    const QAbstractItemModel* list =
        Form1().FileSelection()->findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
    ASSERT_GT(list->rowCount(), 0);
    const auto artist = [&] { return list->index(0, 5).data().toString(); };
    EXPECT_EQ(artist(), QString::fromUtf8("Êèíî"));

    ProgramOptions options = Options().Options();
    options.codec.page = &Page(u"windows-1251");
    Options().SetOptions(options);
    Options().show();
    Options().close();
    EXPECT_EQ(artist(), QString::fromUtf8("Кино"));
    EXPECT_EQ(LoadSettings(SettingsFile()).program.codec.page, &Page(u"windows-1251"));
}

} // namespace
} // namespace windowtest
