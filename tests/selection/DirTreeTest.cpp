#include "selection/dirtree.h"
#include "support/TestFiles.h"

#include "platform/NameBytes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantuke;

namespace {

QStringList ChildTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* Child(const QTreeWidgetItem* node, const QString& text) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text)
            return node->child(i);
    return nullptr;
}

QTreeWidgetItem* TopLevel(const QTreeWidget& tree, const QString& text) {
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        if (tree.topLevelItem(i)->text(0) == text)
            return tree.topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* TopOf(QTreeWidgetItem* node) {
    while (node && node->parent())
        node = node->parent();
    return node;
}

// The state letters of every key for a path ("u" unread, "i" read); empty when none.
QString States(const TDirTree& tree, const QString& path) {
    QString states;
    for (const QString& key : tree.NodeKeys())
        if (key.mid(1) == path)
            states += key[0];
    return states;
}

void MakeDirs(const QString& base, const QStringList& paths) {
    for (const QString& path : paths)
        ASSERT_TRUE(QDir().mkpath(base + path)) << path.toStdString();
}

// A temporary machine: File System is the temp folder, Home a folder inside it, one
// volume below media/ and one network volume below mnt/.
class DirTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs = temp.Dir();
        home = fs + "home/me/";
        usb = fs + "media/usb/";
        nas = fs + "mnt/nas/";
        MakeDirs(fs, {"home/me/alpha", "home/me/Beta/inner/deep", "home/me/gamma",
                      "home/me/.hidden/x", "media/usb/Music", "mnt/nas", "opt"});
        testsupport::WriteFile(home + "file.txt", "x");
        roots = QList<DirTreeRoot>{
            {home, "Home", RootKind::Home, false},
            {fs, "File System", RootKind::FileSystem, false},
            {usb, "usb", RootKind::Volume, false},
            {nas, "nas", RootKind::Volume, true},
        };
    }

    std::unique_ptr<TDirTree> NewTree() {
        auto tree = std::make_unique<TDirTree>([this] { return roots; });
        tree->resize(300, 400);
        return tree;
    }

    testsupport::TempDir temp;
    QString fs, home, usb, nas;
    QList<DirTreeRoot> roots;
};

} // namespace

TEST_F(DirTreeTest, ShowingTheTreeReadsOnlyTheTopLevel) {
    auto tree = NewTree();
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);
    EXPECT_FALSE(tree->Ready());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    tree->show();

    EXPECT_TRUE(tree->Ready());
    EXPECT_EQ(tree->NodeKeys(), (QStringList{"u" + home, "u" + fs, "u" + usb, "u" + nas}));
    // Home and File System were probed, the volumes were not touched; the placeholders
    // only give the expand buttons.
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(2)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(3)->childCount(), 1);
    EXPECT_EQ(tree->GetDirectory(), "?");
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DirTreeTest, ExpandingReadsChildrenSortedAndOneLevelAhead) {
    auto tree = NewTree();
    tree->show();
    QTreeWidgetItem* homeNode = TopLevel(*tree, "Home");
    homeNode->setExpanded(true);

    EXPECT_EQ(ChildTexts(homeNode), (QStringList{".hidden", "alpha", "Beta", "gamma"}));
    // Every child shown was read, so it has an expand button exactly when it has folders.
    EXPECT_EQ(Child(homeNode, "alpha")->childCount(), 0);
    EXPECT_EQ(ChildTexts(Child(homeNode, "Beta")), QStringList{"inner"});
    EXPECT_EQ(States(*tree, home + "Beta/"), "i");
    EXPECT_EQ(States(*tree, home + "Beta/inner/"), "u");
    EXPECT_EQ(States(*tree, home + "Beta/inner/deep/"), "");
}

TEST_F(DirTreeTest, VolumesAreReadOnlyWhenExpanded) {
    auto tree = NewTree();
    tree->show();
    QTreeWidgetItem* usbNode = TopLevel(*tree, "usb");
    QTreeWidgetItem* nasNode = TopLevel(*tree, "nas");
    usbNode->setExpanded(true);
    nasNode->setExpanded(true);
    EXPECT_EQ(ChildTexts(usbNode), QStringList{"Music"});
    // An empty volume counts as not ready: no children, no button, read for good.
    EXPECT_EQ(nasNode->childCount(), 0);
    EXPECT_EQ(States(*tree, nas), "i");
}

// "Caf\xE9" (Latin-1) beside "Caf\xEF\xBF\xBD" (UTF-8 of U+FFFD): two nodes, shown as
// Windows-1252, each selecting its own folder by its exact bytes.
TEST_F(DirTreeTest, FoldersNamedInBytesThatAreNotUtf8AreShownAndSelectedExactly) {
    const QString latin1 = testsupport::PathOfBytes(home, "Caf\xE9") + u'/';
    const QString replacement = testsupport::PathOfBytes(home, "Caf\xEF\xBF\xBD") + u'/';
    for (const QString& folder : {latin1, replacement})
        ASSERT_EQ(::mkdir(NameToBytes(folder).constData(), 0755), 0);
    ASSERT_EQ(::mkdir(NameToBytes(latin1 + "inner").constData(), 0755), 0);

    auto tree = NewTree();
    tree->show();
    QTreeWidgetItem* homeNode = TopLevel(*tree, "Home");
    homeNode->setExpanded(true);
    EXPECT_EQ(ChildTexts(homeNode).filter("Caf"), (QStringList{u"Caf\u00E9"_qs, u"Caf\uFFFD"_qs}));
    const QTreeWidgetItem* cafe = Child(homeNode, u"Caf\u00E9"_qs);
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(ChildTexts(cafe), QStringList{"inner"});

    for (const QString& folder : {latin1, replacement, latin1 + "inner/"}) {
        tree->SetDirectory(folder);
        EXPECT_EQ(NameToBytes(tree->GetDirectory()), NameToBytes(folder));
    }
    EXPECT_EQ(tree->currentItem()->text(0), "inner");
    EXPECT_EQ(tree->currentItem()->parent()->text(0), u"Caf\u00E9"_qs);
}

TEST_F(DirTreeTest, SetDirectorySelectsWithOrWithoutTrailingSlash) {
    auto tree = NewTree();
    tree->show();
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);

    tree->SetDirectory(home + "Beta/inner");
    EXPECT_EQ(tree->GetDirectory(), home + "Beta/inner/");
    EXPECT_EQ(changes.count(), 1);
    QTreeWidgetItem* selected = tree->currentItem();
    EXPECT_EQ(selected->text(0), "inner");
    EXPECT_TRUE(selected->parent()->isExpanded());
    EXPECT_TRUE(TopOf(selected)->isExpanded());
    // The selected folder was read: its own button is right.
    EXPECT_EQ(ChildTexts(selected), QStringList{"deep"});

    tree->SetDirectory(home + "Beta/inner/"); // the same folder: nothing at all
    tree->SetDirectory(home + "alpha/");
    EXPECT_EQ(tree->GetDirectory(), home + "alpha/");
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(DirTreeTest, SetDirectoryIgnoresWhatItCannotSelect) {
    auto tree = NewTree();
    tree->show();
    tree->SetDirectory(home + "gamma");
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);

    for (const QString& path :
         {home + "missing", home + "beta", home + "file.txt", QString("Beta"), QString(),
          QString("?"), home + "Beta//inner", home + "Beta/../alpha"}) {
        tree->SetDirectory(path);
        EXPECT_EQ(tree->GetDirectory(), home + "gamma/") << path.toStdString();
    }
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DirTreeTest, APathBelongsToTheTopLevelNodeWithTheLongestPrefix) {
    auto tree = NewTree();
    tree->show();
    tree->SetDirectory(home + "alpha");
    EXPECT_EQ(TopOf(tree->currentItem())->text(0), "Home");
    tree->SetDirectory(fs + "home/");
    EXPECT_EQ(TopOf(tree->currentItem())->text(0), "File System");
    tree->SetDirectory(usb + "Music");
    EXPECT_EQ(TopOf(tree->currentItem())->text(0), "usb");
    tree->SetDirectory(home);
    EXPECT_EQ(tree->currentItem(), TopLevel(*tree, "Home"));
    // The same folder reached through File System is a node of its own.
    TopLevel(*tree, "File System")->setExpanded(true);
    Child(TopLevel(*tree, "File System"), "home")->setExpanded(true);
    EXPECT_EQ(States(*tree, home), "ii");
    tree->SetDirectory(home + "Beta");
    EXPECT_EQ(TopOf(tree->currentItem())->text(0), "Home");
}

TEST_F(DirTreeTest, ARebuildSelectsNothingAndFiresNoChange) {
    auto tree = NewTree();
    QList<bool> readyDuringRebuild;
    tree->SetOnAddDir([&](const QString&, bool&) { readyDuringRebuild << tree->Ready(); });
    tree->show();
    tree->SetDirectory(home + "alpha");
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);

    readyDuringRebuild.clear();
    tree->ReadDrives();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(tree->GetDirectory(), "?");
    EXPECT_TRUE(tree->Ready());
    ASSERT_FALSE(readyDuringRebuild.isEmpty());
    EXPECT_FALSE(readyDuringRebuild.contains(true));
}

TEST_F(DirTreeTest, OnAddDirCanLeaveOutTopLevelNodesAndFolders) {
    auto tree = NewTree();
    QStringList asked;
    tree->SetOnAddDir([&](const QString& path, bool& doAdd) {
        asked << path;
        if (path == nas || path.endsWith("/gamma/"))
            doAdd = false;
    });
    tree->show();
    EXPECT_EQ(TopLevel(*tree, "nas"), nullptr);
    TopLevel(*tree, "Home")->setExpanded(true);
    EXPECT_EQ(ChildTexts(TopLevel(*tree, "Home")), (QStringList{".hidden", "alpha", "Beta"}));
    EXPECT_TRUE(asked.contains(home + "Beta/inner/"));

    tree->SetDirectory(home + "gamma");
    EXPECT_EQ(tree->GetDirectory(), "?");
}

TEST_F(DirTreeTest, DirTypeChoosesFoldersByAttributeAndRebuildsKeepingTheSelection) {
    auto tree = NewTree();
    tree->show();
    tree->SetDirectory(home + "Beta");
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);

    tree->SetDirType(dtNormal);
    EXPECT_EQ(ChildTexts(TopLevel(*tree, "Home")), (QStringList{"alpha", "Beta", "gamma"}));
    EXPECT_EQ(tree->GetDirectory(), home + "Beta/");
    EXPECT_EQ(changes.count(), 1);

    tree->SetDirType(tDirType(dtNormal) | dtHidden);
    EXPECT_EQ(ChildTexts(TopLevel(*tree, "Home")),
              (QStringList{".hidden", "alpha", "Beta", "gamma"}));

    // Hidden folders alone.
    tree->SetDirType(dtHidden);
    EXPECT_EQ(ChildTexts(TopLevel(*tree, "Home")), QStringList{".hidden"});

    // The same value again does not rebuild.
    const int before = changes.count();
    tree->SetDirType(dtHidden);
    EXPECT_EQ(changes.count(), before);
}

TEST_F(DirTreeTest, AReloadThatLosesTheFolderFallsBackToItsTopLevelNode) {
    auto tree = NewTree();
    tree->show();
    tree->SetDirectory(home + ".hidden/x");
    tree->SetDirType(dtNormal);
    EXPECT_EQ(tree->GetDirectory(), home);
}

TEST_F(DirTreeTest, AllowNetworkHidesNetworkVolumes) {
    auto tree = NewTree();
    tree->show();
    tree->SetAllowNetwork(false);
    EXPECT_EQ(TopLevel(*tree, "nas"), nullptr);
    EXPECT_NE(TopLevel(*tree, "usb"), nullptr);
    tree->SetAllowNetwork(true);
    EXPECT_NE(TopLevel(*tree, "nas"), nullptr);
}

TEST_F(DirTreeTest, SetDirectoryBeforeTheTreeIsShownFillsItFirst) {
    auto tree = NewTree();
    tree->SetDirectory(home + "Beta");
    EXPECT_EQ(tree->GetDirectory(), home + "Beta/");

    auto idle = NewTree();
    idle->SetReadOnStart(false);
    idle->ReadDrives(); // not created yet: nothing
    idle->SetDirectory(home + "Beta");
    EXPECT_EQ(idle->topLevelItemCount(), 0);
    EXPECT_EQ(idle->GetDirectory(), "?");
    idle->ReadDrives();
    EXPECT_EQ(idle->topLevelItemCount(), 4);
}

TEST_F(DirTreeTest, LastPathFollowsTheSelectionPerTopLevelNode) {
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home + "Beta"));
    auto tree = NewTree();
    QDir::setCurrent(saved);
    tree->show();

    EXPECT_EQ(tree->LastPath(home), home + "Beta/"); // the working folder at start
    EXPECT_EQ(tree->LastPath(usb), usb);
    tree->SetDirectory(usb + "Music");
    tree->SetDirectory(home + "gamma");
    EXPECT_EQ(tree->LastPath(usb), usb + "Music/");
    EXPECT_EQ(tree->LastPath(home), home + "gamma/");

    // With nothing to go back to, a reload opens the first top-level node's last folder.
    tree->ReadDrives();
    tree->Reload();
    EXPECT_EQ(tree->GetDirectory(), home + "gamma/");
}

TEST_F(DirTreeTest, SymbolicLinkLoopsAreListedButNeverFollowedOnTheirOwn) {
    ASSERT_TRUE(QFile::link(home + "gamma", home + "gamma/loop"));
    auto tree = NewTree();
    tree->show();
    QTreeWidgetItem* homeNode = TopLevel(*tree, "Home");
    homeNode->setExpanded(true);
    EXPECT_EQ(ChildTexts(Child(homeNode, "gamma")), QStringList{"loop"});
    EXPECT_EQ(States(*tree, home + "gamma/loop/"), "u");

    tree->SetDirectory(home + "gamma/loop/loop/loop");
    EXPECT_EQ(tree->GetDirectory(), home + "gamma/loop/loop/loop/");

    // "*" would expand everything below, through the loop without end: it does nothing.
    tree->setCurrentItem(homeNode);
    QTest::keyClick(tree.get(), Qt::Key_Asterisk);
    EXPECT_FALSE(Child(homeNode, "Beta")->isExpanded());
}

// F5 or "Reload": the folders below the selected one are read again, so folders made (or
// removed) while the program runs show, and the open ones stay open.
TEST_F(DirTreeTest, ReloadingTheSelectedFolderShowsItsChangesAndKeepsTheSelection) {
    auto tree = NewTree();
    tree->show();
    tree->SetDirectory(home + "Beta");
    QTreeWidgetItem* beta = Child(TopLevel(*tree, "Home"), "Beta");
    beta->setExpanded(true);
    Child(beta, "inner")->setExpanded(true);
    MakeDirs(home, {"Beta/new", "Beta/inner/deeper/x", "Beta/inner/deep/below"});
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);

    tree->ReloadSelected();
    EXPECT_EQ(tree->GetDirectory(), home + "Beta/");
    // Announced once, so the file list is filled again for the same folder.
    EXPECT_EQ(changes.count(), 1);
    beta = Child(TopLevel(*tree, "Home"), "Beta");
    EXPECT_EQ(ChildTexts(beta), (QStringList{"inner", "new"}));
    EXPECT_TRUE(beta->isExpanded());
    QTreeWidgetItem* inner = Child(beta, "inner");
    EXPECT_TRUE(inner->isExpanded());
    EXPECT_EQ(ChildTexts(inner), (QStringList{"deep", "deeper"}));
    // Every child shown carries an expand button exactly when it has folders.
    EXPECT_EQ(ChildTexts(Child(inner, "deep")), QStringList{"below"});
    EXPECT_EQ(Child(beta, "new")->childCount(), 0);
    // Each path has one live key, and look-ups find the new nodes.
    EXPECT_EQ(States(*tree, home + "Beta/inner/deeper/"), "i");
    tree->SetDirectory(home + "Beta/inner/deeper/x");
    EXPECT_EQ(tree->GetDirectory(), home + "Beta/inner/deeper/x/");
    // Other branches are left as they were.
    EXPECT_EQ(States(*tree, home + "alpha/"), "i");
}

TEST_F(DirTreeTest, ReloadingAFolderThatIsGoneSelectsTheNearestFolderStillThere) {
    auto tree = NewTree();
    tree->show();
    tree->SetDirectory(home + "Beta/inner/deep");
    ASSERT_TRUE(QDir(home + "Beta/inner").removeRecursively());
    QSignalSpy changes(tree.get(), &TDirTree::OnChange);

    tree->ReloadSelected();
    EXPECT_EQ(tree->GetDirectory(), home + "Beta/");
    EXPECT_EQ(changes.count(), 1);
    QTreeWidgetItem* beta = Child(TopLevel(*tree, "Home"), "Beta");
    EXPECT_EQ(beta->childCount(), 0);
    EXPECT_EQ(States(*tree, home + "Beta/inner/"), "");
    EXPECT_EQ(tree->LastPath(home), home + "Beta/");
}

TEST_F(DirTreeTest, ReloadingWithNothingSelectedRebuildsTheTree) {
    auto tree = NewTree();
    tree->show();
    MakeDirs(fs, {"srv"});
    tree->ReloadSelected();
    // A rebuild that had nothing to keep opens the first top-level node's last folder.
    EXPECT_EQ(tree->GetDirectory(), home);
    tree->SetDirectory(fs + "srv");
    EXPECT_EQ(tree->GetDirectory(), fs + "srv/");
}

TEST_F(DirTreeTest, TheContextMenuOffersReloadOnF5) {
    auto tree = NewTree();
    EXPECT_EQ(tree->contextMenuPolicy(), Qt::ActionsContextMenu);
    QAction* reload = tree->ReloadAction();
    ASSERT_NE(reload, nullptr);
    EXPECT_TRUE(tree->actions().contains(reload));
    EXPECT_EQ(reload->text(), "Reload");
    EXPECT_EQ(reload->shortcut(), QKeySequence(Qt::Key_F5));

    tree->show();
    tree->SetDirectory(home + "gamma");
    MakeDirs(home, {"gamma/fresh"});
    reload->trigger();
    EXPECT_EQ(ChildTexts(Child(TopLevel(*tree, "Home"), "gamma")), QStringList{"fresh"});
}
