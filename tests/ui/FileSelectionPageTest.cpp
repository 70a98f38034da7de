#include "ui/FileSelectionPage.h"
#include "support/TestFiles.h"

#include "platform/NameBytes.h"
#include "selection/FileList.h"
#include "support/LayoutCheck.h"
#include "ui/ErrorGuard.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantuke;
using testsupport::MakeTag;
using testsupport::WriteFile;
using testsupport::WriteMp3;

namespace {

// A double click as a user makes it: a click, then the second press that the system reports
// as a double click.
void DoubleClick(QWidget* widget, QPoint where) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, where);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, where);
}

// A home folder with music/: a.mp3 (tagged, 1128 bytes), B.MP3 (untagged, 1000 bytes),
// c.wav, and two playlists naming B.MP3 and a file that does not exist.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = temp.Dir();
        music = home + "music/";
        ASSERT_TRUE(QDir().mkpath(music + "sub"));
        WriteMp3(music + "a.mp3", 1000, MakeTag("Song", "Artist", "Album", "2001", "Note", 2));
        WriteMp3(music + "B.MP3", 1000);
        WriteFile(music + "c.wav", "RIFF");
        WriteFile(music + "list.m3u", "B.MP3\r\nmissing.mp3\r\n");
        WriteFile(music + "other.m3u", "B.MP3\r\n");
        page = std::make_unique<FileSelectionPage>([this] {
            return QList<DirTreeRoot>{{home, "Home", RootKind::Home, false}};
        });
        page->resize(900, 650);
        page->show();
        SetErrorBoxHandler([this](QWidget*, const QString& text) { errors << text; });
    }
    void TearDown() override { SetErrorBoxHandler({}); }

    template <class T> T* Find(const char* name) {
        T* widget = page->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QAbstractItemModel* Files() { return Find<QTreeView>("ListView1")->model(); }
    QStringList FileNames() {
        QStringList names;
        for (int row = 0; row < Files()->rowCount(); ++row)
            names << Files()->index(row, 0).data().toString();
        return names;
    }
    QStringList Row(int row) {
        QStringList cells;
        for (int column = 0; column < Files()->columnCount(); ++column)
            cells << Files()->index(row, column).data().toString();
        return cells;
    }
    QStringList ShownEntries() {
        QAbstractItemModel* model = Find<QListView>("ListBox1")->model();
        QStringList entries;
        for (int row = 0; row < model->rowCount(); ++row)
            entries << model->index(row, 0).data().toString();
        return entries;
    }
    void SelectFileRows(const QList<int>& rows) {
        auto* view = Find<QTreeView>("ListView1");
        view->clearSelection();
        for (int row : rows)
            view->selectionModel()->select(Files()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void Click(const char* button) { Find<QToolButton>(button)->click(); }
    QString Status() { return Find<QLabel>("Label4")->text(); }
    void ChooseFilter(int index) { Find<QComboBox>("FilterComboBox1")->setCurrentIndex(index); }

    testsupport::TempDir temp;
    QString home, music;
    std::unique_ptr<FileSelectionPage> page;
    QStringList errors;
};

} // namespace

TEST_F(PageTest, ControlsCarryTheirNamesAndCaptions) {
    EXPECT_EQ(page->DirTree(), Find<TDirTree>("DirTree1"));
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"SpeedButton12", "Add all"},
                   {"SpeedButton13", "Add"},
                   {"SpeedButton14", "Remove"},
                   {"SpeedButton15", "Remove All"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(Find<QToolButton>(b.name)->text(), b.caption);
        EXPECT_TRUE(Find<QToolButton>(b.name)->autoRaise()) << b.name;
    }
    EXPECT_FALSE(Find<QToolButton>("SpeedButton8")->accessibleName().isEmpty());
    EXPECT_FALSE(Find<QToolButton>("SpeedButton9")->accessibleName().isEmpty());
    EXPECT_FALSE(Find<QComboBox>("ComboBox4")->isEditable());

    QComboBox* filter = Find<QComboBox>("FilterComboBox1");
    QStringList filters;
    for (int i = 0; i < filter->count(); ++i)
        filters << filter->itemText(i);
    EXPECT_EQ(filters, (QStringList{"MP3 files (*.mp3)", "All files (*.*)", "Playlist (*.m3u)",
                                    "Playlist (*.pls)"}));
    EXPECT_EQ(filter->currentIndex(), 0);

    QStringList captions;
    QHeaderView* header = Find<QTreeView>("ListView1")->header();
    for (int column = 0; column < Files()->columnCount(); ++column)
        captions << Files()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(captions,
              (QStringList{"Filename", "Filesize", "Filedate", "Tag?", "SongName", "Artist",
                           "Album", "Year", "Style", "Comment", "Track", "ID3v2"}));
    // Wide enough for usual values: an artist's name is not cut to "Beyo…".
    const QFontMetrics cells = Find<QTreeView>("ListView1")->fontMetrics();
    for (const auto& [column, value] :
         {std::pair{FieldColumn(TagField::Artist), "Beyonc\u00E9 Knowles"},
          std::pair{FieldColumn(TagField::SongName), "Smells Like Teen Spirit"},
          std::pair{FieldColumn(TagField::Genre), "Alternative Rock"},
          std::pair{int(kColFilesize), "12345678"}, std::pair{FieldColumn(TagField::Year), "1999"}})
        EXPECT_GT(header->sectionSize(column), cells.horizontalAdvance(QString::fromUtf8(value)))
            << value;
    EXPECT_EQ(Find<QTreeView>("ListView1")->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Find<QListView>("ListBox1")->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Status(), "Status: 0 files selected (0 bytes)");
}

TEST_F(PageTest, TheTreesFolderAndTheFilterDecideTheRows) {
    EXPECT_EQ(Files()->rowCount(), 0);
    page->DirTree()->SetDirectory(music);
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3"}));
    EXPECT_EQ(Row(0).mid(3),
              (QStringList{"Yes", "Song", "Artist", "Album", "2001", "Country", "Note", "", ""}));
    EXPECT_EQ(Row(1).mid(1, 1), QStringList{"1000"});
    EXPECT_EQ(Row(1)[3], "No");

    ChooseFilter(1);
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3", "c.wav", "list.m3u", "other.m3u"}));
    ChooseFilter(2);
    EXPECT_EQ(FileNames(), (QStringList{"list.m3u", "other.m3u"}));

    // A run ends with a refill: new files show.
    WriteFile(music + "new.m3u", "");
    page->FillFileList();
    EXPECT_EQ(FileNames(), (QStringList{"list.m3u", "new.m3u", "other.m3u"}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PageTest, AddAllTakesPlaylistsAsFilesAndAddExpandsThem) {
    page->DirTree()->SetDirectory(music);
    ChooseFilter(2);

    Click("SpeedButton12");
    EXPECT_EQ(ShownEntries(), (QStringList{music + "list.m3u", music + "other.m3u"}));
    Click("SpeedButton15");
    EXPECT_TRUE(ShownEntries().isEmpty());
    EXPECT_EQ(Status(), "Status: 0 files selected (0 bytes)");

    SelectFileRows({0, 1});
    Click("SpeedButton13");
    // other.m3u names B.MP3 again: it is added once.
    EXPECT_EQ(ShownEntries(), (QStringList{music + "B.MP3", music + "missing.mp3"}));
    EXPECT_EQ(Status(), "Status: 2 files selected (1000 bytes)");
    Click("SpeedButton13");
    EXPECT_EQ(page->Selection().Count(), 2);
}

TEST_F(PageTest, DoubleClicksAddAndRemove) {
    page->DirTree()->SetDirectory(music);
    auto* files = Find<QTreeView>("ListView1");
    const QRect row = files->visualRect(Files()->index(1, 0));
    DoubleClick(files->viewport(), row.center());
    EXPECT_EQ(ShownEntries(), QStringList{music + "B.MP3"});

    SelectFileRows({0});
    Click("SpeedButton13");
    EXPECT_EQ(ShownEntries(), (QStringList{music + "B.MP3", music + "a.mp3"}));
    EXPECT_EQ(Status(), "Status: 2 files selected (2128 bytes)");

    auto* selected = Find<QListView>("ListBox1");
    const QRect first = selected->visualRect(selected->model()->index(0, 0));
    DoubleClick(selected->viewport(), first.center());
    EXPECT_EQ(ShownEntries(), QStringList{music + "a.mp3"});
    EXPECT_EQ(Status(), "Status: 1 files selected (1128 bytes)");
}

TEST_F(PageTest, RemoveTakesTheHighlightedEntriesAndAlwaysRefreshesTheStatus) {
    page->DirTree()->SetDirectory(music);
    ChooseFilter(1);
    Click("SpeedButton12");
    ASSERT_EQ(page->Selection().Count(), 5);

    auto* selected = Find<QListView>("ListBox1");
    for (int row : {0, 2, 4})
        selected->selectionModel()->select(selected->model()->index(row, 0),
                                           QItemSelectionModel::Select);
    Click("SpeedButton14");
    EXPECT_EQ(ShownEntries(), (QStringList{music + "B.MP3", music + "list.m3u"}));

    // Nothing highlighted: nothing removed, but the status line is worked out again.
    QFile::remove(music + "B.MP3");
    Click("SpeedButton14");
    EXPECT_EQ(page->Selection().Count(), 2);
    EXPECT_EQ(Status(), "Status: 2 files selected (20 bytes)");
}

TEST_F(PageTest, AnUnreadableTagShowsTheErrorAndKeepsTheRowsBefore) {
    WriteMp3(music + "c.mp3", 1000, MakeTag("Three", "C"));
    testsupport::MakeUnreadable(music + "B.MP3");
    testsupport::OpenFolderToAll(home);
    {
        const testsupport::AsUnprivilegedUser user;
        page->DirTree()->SetDirectory(music);
    }

    EXPECT_EQ(errors, QStringList{"File access denied."});
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3"}));
    EXPECT_EQ(Row(0)[4], "Song");
    // The tree moved all the same, and the page still works.
    EXPECT_EQ(page->DirTree()->GetDirectory(), music);
    ChooseFilter(2);
    EXPECT_EQ(FileNames(), (QStringList{"list.m3u", "other.m3u"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PageTest, AnUnreadablePlaylistStopsAddKeepingWhatWasAdded) {
    page->DirTree()->SetDirectory(music);
    ChooseFilter(2);
    QFile::remove(music + "other.m3u"); // still listed, gone when read
    SelectFileRows({0, 1});
    Click("SpeedButton13");

    EXPECT_EQ(errors, QStringList{"File not found."});
    EXPECT_EQ(ShownEntries(), (QStringList{music + "B.MP3", music + "missing.mp3"}));
    EXPECT_EQ(Status(), "Status: 2 files selected (1000 bytes)");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Made large after a small start, the page gives the tree and "Selected files to process:"
// their share of the new room; a splitter the user moved stays where it was put, and only
// that one is kept for the next start.
TEST_F(PageTest, AWindowMadeLargeGrowsTheTreeAndTheSelectionToo) {
    page->resize(372, 471);
    QApplication::processEvents();
    EXPECT_EQ(page->DirTree()->width(), 161);
    page->resize(1280, 900);
    QApplication::processEvents();
    EXPECT_GE(page->DirTree()->width(), 300);
    auto* selected = Find<QListView>("ListBox1");
    EXPECT_GE(selected->viewport()->height(), 10 * selected->fontMetrics().lineSpacing());

    layoutcheck::DragSplitter(Find<QSplitter>("Splitter1"), 100);
    const int tree = page->DirTree()->width();
    page->resize(1000, 800);
    QApplication::processEvents();
    EXPECT_EQ(page->DirTree()->width(), tree);
    WindowLayout kept;
    page->CollectLayout(kept);
    EXPECT_EQ(kept.treeWidth, tree);
    EXPECT_EQ(kept.selectionHeight, 0);
}

// A header click sorts by its column, sizes as numbers; until then the rows stand in the
// folder's order. Highlighted rows stay highlighted, the sort holds for the next folder, and
// "Add all" takes the rows as shown.
TEST_F(PageTest, AHeaderClickSortsByItsColumn) {
    const QString sizes = home + "sizes/";
    ASSERT_TRUE(QDir().mkpath(sizes));
    for (const auto& [name, size] :
         {std::pair{"big.mp3", 10000}, std::pair{"mid.mp3", 900}, std::pair{"small.mp3", 85}})
        WriteMp3(sizes + name, size);
    page->DirTree()->SetDirectory(sizes);
    EXPECT_EQ(FileNames(), (QStringList{"big.mp3", "mid.mp3", "small.mp3"}));
    SelectFileRows({1});
    QHeaderView* header = Find<QTreeView>("ListView1")->header();
    const QPoint size(header->sectionViewportPosition(kColFilesize) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
    EXPECT_EQ(FileNames(), (QStringList{"small.mp3", "mid.mp3", "big.mp3"}));
    EXPECT_EQ(Find<QTreeView>("ListView1")->selectionModel()->selectedRows().value(0).row(), 1);

    page->DirTree()->SetDirectory(music);
    EXPECT_EQ(FileNames(), (QStringList{"B.MP3", "a.mp3"}));
    Click("SpeedButton12");
    EXPECT_EQ(page->Selection().Entries(), (QStringList{music + "B.MP3", music + "a.mp3"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3"}));
}

// In "Selected files to process:", Ctrl+A highlights every entry and Delete takes the
// highlighted ones out.
TEST_F(PageTest, DeleteAndCtrlAWorkInTheSelection) {
    page->DirTree()->SetDirectory(music);
    ChooseFilter(1);
    Click("SpeedButton12");
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get())) << "the page cannot be made active";
    auto* selected = Find<QListView>("ListBox1");
    selected->setFocus();
    QTest::keyClick(selected, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected->selectionModel()->selectedIndexes().size(), 5);
    selected->selectionModel()->select(selected->model()->index(0, 0),
                                       QItemSelectionModel::Deselect);
    QTest::keyClick(selected, Qt::Key_Delete);
    EXPECT_EQ(ShownEntries(), QStringList{music + "a.mp3"});
    EXPECT_EQ(Status(), "Status: 1 files selected (1128 bytes)");
}

// "Add folder with subfolders" in the tree's menu adds the MP3 files of the folder and of
// every folder below it.
TEST_F(PageTest, TheTreesMenuAddsAFolderWithItsSubfolders) {
    WriteMp3(music + "sub/deep.mp3", 300);
    page->DirTree()->SetDirectory(music);
    QAction* add = nullptr;
    for (QAction* action : page->DirTree()->actions())
        add = action->text() == "Add folder with subfolders" ? action : add;
    ASSERT_NE(add, nullptr);
    add->trigger();
    EXPECT_EQ(ShownEntries(),
              (QStringList{music + "a.mp3", music + "B.MP3", music + "sub/deep.mp3"}));
}

TEST_F(PageTest, PathsFromOutsideAreAddedLikeListedRows) {
    page->AddPaths({music + "a.mp3", music + "list.m3u", music + "a.mp3", music + "c.wav"});
    EXPECT_EQ(ShownEntries(), (QStringList{music + "a.mp3", music + "B.MP3", music + "missing.mp3",
                                           music + "c.wav"}));
    EXPECT_EQ(Status(), "Status: 4 files selected (2132 bytes)");
    EXPECT_TRUE(errors.isEmpty());

    // A playlist that cannot be read is reported; what came before it stays.
    page->AddPaths({music + "sub/gone.m3u"});
    EXPECT_EQ(errors, QStringList{"File not found."});
    EXPECT_EQ(page->Selection().Count(), 4);

    // A folder brings its MP3 files and those below it.
    WriteMp3(music + "sub/deep.mp3", 300);
    page->AddPaths({music});
    EXPECT_EQ(ShownEntries().mid(3), (QStringList{music + "c.wav", music + "sub/deep.mp3"}));
}

TEST_F(PageTest, SetSelectionEntriesShowsThemButLeavesTheStatusLine) {
    page->DirTree()->SetDirectory(music);
    Click("SpeedButton12");
    const QString status = Status();
    page->SetSelectionEntries({music + "renamed.mp3"});
    EXPECT_EQ(ShownEntries(), QStringList{music + "renamed.mp3"});
    EXPECT_EQ(Status(), status);
}

TEST_F(PageTest, DirectoryPresetsAddRemoveAndChoose) {
    QSignalSpy saves(page.get(), &FileSelectionPage::PresetsChanged);
    QSignalSpy moves(page->DirTree(), &TDirTree::OnChange);
    auto* box = Find<QComboBox>("ComboBox4");

    // Adding with no folder selected adds "?"; the box selects nothing by itself.
    Click("SpeedButton8");
    EXPECT_EQ(page->DirPresets(), (PresetList{{"?"}, -1}));
    emit box->activated(0); // choosing "?" leaves the tree alone
    EXPECT_EQ(page->DirTree()->GetDirectory(), "?");

    // Loading the settings does not move the tree.
    page->SetDirPresets({{music, home + "missing/", home}, 1});
    EXPECT_EQ(page->DirPresets(), (PresetList{{music, home + "missing/", home}, 1}));
    EXPECT_EQ(moves.count(), 0);

    emit box->activated(0);
    EXPECT_EQ(page->DirTree()->GetDirectory(), music);
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3"}));
    box->setCurrentIndex(1);
    emit box->activated(1); // a folder that is gone: nothing happens
    EXPECT_EQ(page->DirTree()->GetDirectory(), music);

    Click("SpeedButton8"); // the same folder twice is allowed
    EXPECT_EQ(page->DirPresets(), (PresetList{{music, home + "missing/", home, music}, 1}));
    Click("SpeedButton9");
    EXPECT_EQ(page->DirPresets(), (PresetList{{music, home, music}, -1}));
    Click("SpeedButton9"); // none selected: nothing removed, still saved
    EXPECT_EQ(page->DirPresets(), (PresetList{{music, home, music}, -1}));
    EXPECT_EQ(saves.count(), 4);

    page->SetDirPresets({{music}, 5});
    EXPECT_EQ(page->DirPresets(), (PresetList{{music}, -1}));
    EXPECT_TRUE(errors.isEmpty());
}

// A folder copied from Windows: "Caf\xE9.mp3" (Latin-1) beside "Caf\xEF\xBF\xBD.mp3". The
// lists show Windows-1252 characters; the selection keeps every byte.
TEST_F(PageTest, NamesThatAreNotUtf8AreShownAsWindows1252AndKeptExactly) {
    const QString odd = testsupport::PathOfBytes(home, "Oper\xE9tta") + u'/';
    ASSERT_EQ(::mkdir(NameToBytes(odd).constData(), 0755), 0);
    testsupport::WriteFile(testsupport::PathOfBytes(odd, "Caf\xE9.mp3"),
                           testsupport::AudioBytes(100) + MakeTag("Latin", "One"));
    testsupport::WriteFile(testsupport::PathOfBytes(odd, "Caf\xEF\xBF\xBD.mp3"),
                           testsupport::AudioBytes(300));
    page->DirTree()->SetDirectory(odd);
    ASSERT_EQ(NameToBytes(page->DirTree()->GetDirectory()), NameToBytes(odd));
    EXPECT_EQ(FileNames(), (QStringList{u"Caf\u00E9.mp3"_qs, u"Caf\uFFFD.mp3"_qs}));
    EXPECT_EQ(Row(0).mid(0, 5),
              (QStringList{u"Caf\u00E9.mp3"_qs, "228", Row(0)[2], "Yes", "Latin"}));

    Click("SpeedButton12"); // "Add all"
    Click("SpeedButton12");
    const QStringList entries = page->Selection().Entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(NameToBytes(entries[0]), NameToBytes(odd) + "Caf\xE9.mp3");
    EXPECT_EQ(NameToBytes(entries[1]), NameToBytes(odd) + "Caf\xEF\xBF\xBD.mp3");
    const QString shownFolder = home + u"Oper\u00E9tta/"_qs;
    EXPECT_EQ(ShownEntries(),
              (QStringList{shownFolder + u"Caf\u00E9.mp3"_qs, shownFolder + u"Caf\uFFFD.mp3"_qs}));
    EXPECT_EQ(Status(), "Status: 2 files selected (528 bytes)");

    // A directory preset shows the folder the same way and gives its exact path back.
    page->DirTree()->SetDirectory(music);
    Click("SpeedButton8");
    page->DirTree()->SetDirectory(odd);
    Click("SpeedButton8");
    auto* box = Find<QComboBox>("ComboBox4");
    EXPECT_EQ(box->itemText(1), shownFolder);
    EXPECT_EQ(NameToBytes(page->DirPresets().entries.value(1)), NameToBytes(odd));
    emit box->activated(0);
    emit box->activated(1);
    EXPECT_EQ(NameToBytes(page->DirTree()->GetDirectory()), NameToBytes(odd));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
}

// The page at the main window's first size and at a roomy one: every control visible and
// inside the page. VANTUKE_SCREENSHOT_DIR, when set, receives the pictures.
TEST_F(PageTest, LayoutFitsSmallAndLargeWindows) {
    for (int i = 1; i <= 12; ++i)
        WriteMp3(music + QString("Artist %1 - Title %1.mp3").arg(i), 2000,
                 MakeTag("Title " + QByteArray::number(i), "Artist " + QByteArray::number(i),
                         "Album", "1999", "", static_cast<unsigned char>(i)));
    for (const QSize size : {QSize(372, 471), QSize(900, 650)}) {
        FileSelectionPage shown([this] {
            return QList<DirTreeRoot>{{home, "Home", RootKind::Home, false}};
        });
        shown.resize(size);
        shown.show();
        shown.DirTree()->SetDirectory(music);
        shown.findChild<QToolButton*>("SpeedButton12")->click();
        const QRect area = shown.rect();
        for (const char* name : {"ComboBox4", "SpeedButton8", "SpeedButton9", "DirTree1",
                                 "ListView1", "FilterComboBox1", "SpeedButton12", "SpeedButton13",
                                 "SpeedButton14", "SpeedButton15", "Label4", "ListBox1"}) {
            auto* widget = shown.findChild<QWidget*>(QString::fromLatin1(name));
            ASSERT_NE(widget, nullptr) << name;
            const QRect where(widget->mapTo(&shown, QPoint(0, 0)), widget->size());
            EXPECT_TRUE(widget->isVisible()) << name;
            EXPECT_TRUE(area.contains(where)) << name << " at " << size.width();
            EXPECT_GT(where.height(), 10) << name << " at " << size.width();
        }
        auto* group = shown.findChild<QListView*>("ListBox1")->parentWidget();
        EXPECT_GE(group->height(), 46);
        EXPECT_GE(shown.DirTree()->width(), std::min(161, size.width() / 2 - 20));

        const QString dir = qEnvironmentVariable("VANTUKE_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            shown.grab().save(
                dir + QStringLiteral("/step1-%1x%2.png").arg(size.width()).arg(size.height()));
    }
}

// Names longer than the lists are wide can still be read whole: each entry's text is its
// tooltip, and the selected-files list scrolls sideways to its longest entry.
TEST_F(PageTest, LongNamesCanBeReadWhole) {
    const QString longName = QStringLiteral("A rather long artist name - ") +
                             QString(120, QLatin1Char('x')) + QStringLiteral(" - end.mp3");
    WriteMp3(music + longName, 1000, MakeTag("Song", "A very long artist name indeed"));
    page->resize(372, 471);
    page->DirTree()->SetDirectory(music);
    // A short entry first: the list must not size every line after it.
    page->SetSelectionEntries({music + "B.MP3", music + longName, music + "a.mp3"});
    QApplication::processEvents();

    auto* files = Find<QTreeView>("ListView1");
    auto* selected = Find<QListView>("ListBox1");
    auto tooltipAt = [](QAbstractItemView* view, const QModelIndex& index) {
        QToolTip::hideText();
        const QPoint where = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, where, view->viewport()->mapToGlobal(where));
        QApplication::sendEvent(view->viewport(), &help);
        const QString text = QToolTip::text();
        QToolTip::hideText();
        return text;
    };
    const int longRow = int(FileNames().indexOf(longName));
    ASSERT_GE(longRow, 0);
    EXPECT_EQ(tooltipAt(files, Files()->index(longRow, 0)), longName);
    EXPECT_EQ(tooltipAt(files, Files()->index(longRow, 5)), "A very long artist name indeed");
    EXPECT_EQ(tooltipAt(selected, selected->model()->index(1, 0)), music + longName);
    EXPECT_EQ(tooltipAt(selected, selected->model()->index(0, 0)), music + "B.MP3");

    const int needed = selected->fontMetrics().horizontalAdvance(music + longName);
    EXPECT_GE(selected->visualRect(selected->model()->index(1, 0)).width(), needed);
    QScrollBar* sideways = selected->horizontalScrollBar();
    EXPECT_GE(sideways->maximum() + selected->viewport()->width(), needed);
    // Among many entries, the widest on screen decides, not the one with the most letters.
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << music + QString(60, QLatin1Char('i')) + QString::number(i);
    const QString wide = music + QString(40, QLatin1Char('W'));
    many.insert(150, wide);
    page->SetSelectionEntries(many);
    QApplication::processEvents();
    const QFontMetrics metrics = selected->fontMetrics();
    ASSERT_GT(metrics.horizontalAdvance(wide), metrics.horizontalAdvance(many.first()));
    EXPECT_GE(selected->visualRect(selected->model()->index(0, 0)).width(),
              metrics.horizontalAdvance(wide));
    // Emptied again, the list has nothing to scroll to.
    page->SetSelectionEntries({music + "B.MP3"});
    QApplication::processEvents();
    EXPECT_EQ(sideways->maximum(), 0);
}

// F5 anywhere on the page, or "Reload" in the tree's menu: what changed in the selected folder
// while the program ran shows in the tree and in the file list.
TEST_F(PageTest, F5ShowsWhatChangedInTheSelectedFolder) {
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get())) << "the page cannot be made active";
    page->DirTree()->SetDirectory(music);
    auto* files = Find<QTreeView>("ListView1");
    files->setFocus();
    WriteMp3(music + "new.mp3", 1000);
    ASSERT_TRUE(QDir().mkpath(music + "fresh"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3", "new.mp3"}));
    EXPECT_EQ(page->DirTree()->GetDirectory(), music);
    QTreeWidgetItem* node = page->DirTree()->currentItem();
    ASSERT_NE(node, nullptr);
    QStringList folders;
    for (int i = 0; i < node->childCount(); ++i)
        folders << node->child(i)->text(0);
    EXPECT_EQ(folders, (QStringList{"fresh", "sub"}));

    // The folder shown is removed: the one above it is shown instead.
    page->DirTree()->SetDirectory(music + "sub");
    ASSERT_TRUE(QDir(music + "sub").removeRecursively());
    page->DirTree()->ReloadAction()->trigger();
    EXPECT_EQ(page->DirTree()->GetDirectory(), music);
    EXPECT_EQ(FileNames(), (QStringList{"a.mp3", "B.MP3", "new.mp3"}));
    EXPECT_TRUE(errors.isEmpty());
}
