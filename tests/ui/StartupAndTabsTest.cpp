// Start-up state of the main window, and what changing step, process or sub-method writes
// into the status box and the short help.
#include "WindowFixture.h"

#include "batch/ID3TagQuery.h"
#include "tag/Genres.h"
#include "ui/ExecutePage.h"
#include "ui/FilenameTagPage.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>

using namespace vantuke;

namespace windowtest {
namespace {

QStringList Lines(const QPlainTextEdit& box) {
    return box.toPlainText().split(QLatin1Char('\n'));
}

class StartupTest : public WindowTest {
protected:
    void ClickProcess(int index) { Form1().Processes()->Tabs()->TabButton(index)->click(); }
    void ClickSubMethod(int index) {
        Form1().Processes()->FilenameTag()->SubMethods()->TabButton(index)->click();
    }
    void ClickStep(int index) { Form1().Steps()->TabButton(index)->click(); }
    void SetClearStatus(bool on) { Find<QCheckBox>(QStringLiteral("CheckBox19"))->setChecked(on); }
};

TEST_F(StartupTest, StartsWithOneStatusLineAndNoShortHelp) {
    EXPECT_EQ(Form1().windowTitle(), QStringLiteral("Vantuke"));
    EXPECT_EQ(Form1().size(), QSize(372, 471));
    EXPECT_EQ(Form1().StatusLines(), QStringList{QStringLiteral("Process selected: TAG>Filename")});
    EXPECT_TRUE(Form1().ShortInfoBox()->toPlainText().isEmpty());
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 0);
    EXPECT_EQ(Form1().Processes()->Tabs()->CurrentIndex(), 0);
    EXPECT_EQ(Form1().Processes()->FilenameTag()->SubMethods()->CurrentIndex(),
              FilenameTagPage::kNewStyle);
}

// The "Info:" group of each page whose template reads codes lists them: the tag's fields in
// the order of their codes, "%T - Track" among them.
TEST_F(StartupTest, InfoGroupsListTheCodesTheTemplatesRead) {
    const auto infoLines = [this](const char* page) {
        QStringList lines;
        for (const QGroupBox* group :
             Find<QWidget>(QLatin1String(page))->findChildren<QGroupBox*>()) {
            if (group->title() != QStringLiteral("Info:"))
                continue;
            for (const QLabel* label : group->findChildren<QLabel*>())
                lines << label->text();
        }
        return lines;
    };
    const QStringList tagToText{"%1 - Song Name", "%2 - Artist",        "%3 - Album",
                                "%4 - Year",      "%5 - Comment",       "%6 - Genre",
                                "%T - Track",     "%7 - Filename",      "%8 - FilePath",
                                "%9 - FileExt.",  "%N - Number of file"};
    EXPECT_EQ(infoLines("TabSheet1"), tagToText);
    EXPECT_EQ(infoLines("TabSheet5"), tagToText);
    EXPECT_EQ(infoLines("TabSheet8"),
              (QStringList{"%1 - Song Name", "%2 - Artist", "%3 - Album", "%4 - Year",
                           "%5 - Comment", "%T - Track", "%U - Useless (or any other letter)"}));
}

TEST_F(StartupTest, GenreListsHoldTheTableInOrderInBothWindows) {
    const QComboBox& page = Form1().GenreList();
    ASSERT_EQ(page.count(), kGenreCount);
    for (int genre = 0; genre < kGenreCount; ++genre)
        EXPECT_EQ(page.itemText(genre), GenreName(genre)) << genre;
    EXPECT_EQ(page.currentIndex(), -1);
    EXPECT_EQ(page.maxVisibleItems(), 12);

    const auto* dialogGenres = windows_->Query().findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    ASSERT_NE(dialogGenres, nullptr);
    ASSERT_EQ(dialogGenres->count(), kGenreCount);
    EXPECT_EQ(dialogGenres->itemText(kGenreCount - 1), GenreName(kGenreCount - 1));
}

TEST_F(StartupTest, SubstitutionTableStartsWithItsHeaderAndOneEmptyRow) {
    auto* table = Find<QTableView>(QStringLiteral("StringGrid1"));
    ASSERT_NE(table, nullptr);
    const QAbstractItemModel& rows = *table->model();
    ASSERT_EQ(rows.columnCount(), 3);
    EXPECT_EQ(rows.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Number"));
    EXPECT_EQ(rows.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Replace what:"));
    EXPECT_EQ(rows.headerData(2, Qt::Horizontal).toString(), QStringLiteral("with:"));
    EXPECT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(StartupTest, FirstStartKeepsTheBuiltInTemplatesAndInitialTexts) {
    auto* tagToFilename = Find<QComboBox>(QStringLiteral("ComboBox2"));
    auto* list = Find<QComboBox>(QStringLiteral("ComboBox3"));
    auto* newStyle = Find<QComboBox>(QStringLiteral("ComboBox5"));
    ASSERT_TRUE(tagToFilename && list && newStyle);
    EXPECT_EQ(tagToFilename->count(), 20);
    EXPECT_EQ(tagToFilename->currentText(), QStringLiteral("%2 - %1"));
    EXPECT_EQ(list->count(), 16);
    EXPECT_EQ(list->currentText(), QStringLiteral("File %7.%9 were made by %2"));
    EXPECT_EQ(newStyle->count(), 0);
    EXPECT_TRUE(newStyle->currentText().isEmpty());
}

struct ProcessChangeCase {
    bool clearStatus;
    int process;
    QStringList expected; // the status box afterwards
};

void PrintTo(const ProcessChangeCase& c, std::ostream* out) {
    *out << "process " << c.process << (c.clearStatus ? " with clearing" : "");
}

class ProcessChangeTest : public StartupTest,
                          public ::testing::WithParamInterface<ProcessChangeCase> {};

TEST_P(ProcessChangeTest, WritesTheProcessLineAndRefreshesTheShortHelp) {
    SetClearStatus(GetParam().clearStatus);
    ClickProcess(GetParam().process);
    EXPECT_EQ(Form1().StatusLines(), GetParam().expected);
    const QStringList help = Lines(*Form1().ShortInfoBox());
    EXPECT_EQ(help.first(), GetParam().expected.last());
    EXPECT_EQ(help.value(1), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Processes, ProcessChangeTest,
    ::testing::Values(ProcessChangeCase{false,
                                        3,
                                        {QStringLiteral("Process selected: TAG>Filename"),
                                         QStringLiteral("Process selected: UnTAG")}},
                      ProcessChangeCase{true, 3, {QStringLiteral("Process selected: UnTAG")}},
                      ProcessChangeCase{
                          true, 4, {QStringLiteral("Process selected: List files/TAGs")}},
                      ProcessChangeCase{false,
                                        5,
                                        {QStringLiteral("Process selected: TAG>Filename"),
                                         QStringLiteral("Process selected: Adjust FileName")}}));

TEST_F(StartupTest, SubMethodChangeWithClearingLeavesTwoLines) {
    ClickProcess(1);
    SetClearStatus(true);
    ClickSubMethod(FilenameTagPage::kOldStyle);
    EXPECT_EQ(Form1().StatusLines(),
              (QStringList{QStringLiteral("Process selected: Filename>TAG"),
                           QStringLiteral("Sub-Method selected: Old Style")}));
}

TEST_F(StartupTest, SubMethodChangeWithoutClearingAddsOnlyItsLine) {
    ClickProcess(1);
    ClickSubMethod(FilenameTagPage::kOldStyle);
    ClickSubMethod(FilenameTagPage::kNewStyle);
    EXPECT_EQ(Form1().StatusLines(),
              (QStringList{QStringLiteral("Process selected: TAG>Filename"),
                           QStringLiteral("Process selected: Filename>TAG"),
                           QStringLiteral("Sub-Method selected: Old Style"),
                           QStringLiteral("Sub-Method selected: New Style")}));
}

TEST_F(StartupTest, ClickingTheShownTabAgainChangesNothing) {
    ClickProcess(0);
    ClickSubMethod(FilenameTagPage::kNewStyle);
    EXPECT_EQ(Form1().StatusLines().size(), 1);
}

TEST_F(StartupTest, StepChangesFillTheShortHelpOnceAndNeverTouchTheStatusBox) {
    ClickStep(1);
    const QString first = Form1().ShortInfoBox()->toPlainText();
    EXPECT_TRUE(first.startsWith(QStringLiteral("Process selected: TAG>Filename\n")));
    ClickStep(2);
    ClickStep(0);
    ClickStep(1);
    EXPECT_EQ(Form1().ShortInfoBox()->toPlainText(), first);
    EXPECT_EQ(Form1().StatusLines(), QStringList{QStringLiteral("Process selected: TAG>Filename")});
}

struct ShortHelpCase {
    int process;
    int lineCount; // including the "Process selected: " line
    int probe;     // a line worth checking word for word
    QString text;
};

void PrintTo(const ShortHelpCase& c, std::ostream* out) {
    *out << "process " << c.process << " line " << c.probe;
}

class ShortHelpTest : public StartupTest, public ::testing::WithParamInterface<ShortHelpCase> {};

TEST_P(ShortHelpTest, ShowsTheLinesOfTheProcess) {
    ClickProcess(GetParam().process);
    ClickStep(1);
    const QStringList help = Lines(*Form1().ShortInfoBox());
    ASSERT_EQ(help.size(), GetParam().lineCount);
    EXPECT_EQ(help.at(GetParam().probe), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Processes, ShortHelpTest,
    ::testing::Values(
        ShortHelpCase{0, 15, 13, QStringLiteral("%N - FileNumber")},
        ShortHelpCase{0, 15, 14, QStringLiteral("%T - Track")},
        ShortHelpCase{1, 22, 21,
                      QStringLiteral("If filename would be:\"(DJ Zarnik) - Groovy Zone "
                                     "(1994).Mp3\", then filename to tag convert string would be "
                                     "\"(%2) - %1 (%4)\"")},
        ShortHelpCase{1, 22, 17, QStringLiteral("%T - Track")},
        ShortHelpCase{1, 22, 18, QStringLiteral("%U - Useless (or any other letter)")},
        ShortHelpCase{2, 3, 2,
                      QStringLiteral("This function will fill in id3 tag informations as you "
                                     "want. You can set if you want to leave that info or if you "
                                     "want Vantuke to ask you for it.")},
        ShortHelpCase{3, 3, 2,
                      QStringLiteral("This function will remove id3 tag from mp3 file. You can "
                                     "specify if you want Vantuke to confirm every file.")},
        ShortHelpCase{4, 15, 4, QStringLiteral("%1 - SongName")},
        ShortHelpCase{5, 6, 5,
                      QStringLiteral("If you will specify only one substition, where ReplaceWhat "
                                     "will be \"a\" and ReplaceWith \"b\" then all \"a\"s in "
                                     "filename will be \"b\"s. Offcourse you can also specify "
                                     "empty strings, which will result in clearing ReplaceWhat "
                                     "string...")}));

} // namespace
} // namespace windowtest
