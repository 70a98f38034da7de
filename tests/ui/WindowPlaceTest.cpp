// The window's place, its splitters and the file list's columns across a restart.
#include "WindowFixture.h"

#include "selection/FileList.h"
#include "settings/Settings.h"
#include "support/LayoutCheck.h"
#include "ui/FileSelectionPage.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

using namespace vantuke;

namespace windowtest {
namespace {

class PlaceTest : public WindowTest {
protected:
    void ShowAsAtStart() {
        windows_->Show();
        QApplication::processEvents();
    }
    QRect Screen() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

// Moved, sized, the tree made wider and a column too: the next start shows it as it was left,
// from the section "Window" at the end of the file; a maximized window opens maximized.
TEST_F(PlaceTest, TheWindowComesBackAsItWasLeft) {
    ShowAsAtStart();
    const QRect place(Screen().left() + 30, Screen().top() + 40, 620, 480);
    Form1().setGeometry(place);
    QApplication::processEvents();
    auto* trees = Find<QSplitter>(QStringLiteral("Splitter1"));
    layoutcheck::DragSplitter(trees, 250 - trees->sizes().value(0));
    Find<QTreeView>(QStringLiteral("ListView1"))
        ->header()
        ->resizeSection(FieldColumn(TagField::Artist), 199);
    ASSERT_TRUE(Close());
    EXPECT_TRUE(QString::fromUtf8(testsupport::ReadFile(SettingsFile()))
                    .contains(QStringLiteral("\n[Window]\nLeft=%1\nTop=%2\nWidth=620\nHeight=480\n"
                                             "Maximized=0\nTreeWidth=250\nSelectionHeight=0\n")
                                  .arg(place.left())
                                  .arg(place.top())));

    Start();
    ShowAsAtStart();
    EXPECT_EQ(Form1().geometry(), place);
    EXPECT_EQ(Form1().FileSelection()->DirTree()->width(), 250);
    EXPECT_EQ(Find<QTreeView>(QStringLiteral("ListView1"))
                  ->header()
                  ->sectionSize(FieldColumn(TagField::Artist)),
              199);

    Form1().showMaximized();
    QApplication::processEvents();
    if (!Form1().isMaximized())
        GTEST_SKIP() << "this display cannot maximize a window";
    ASSERT_TRUE(Close());
    Start();
    ShowAsAtStart();
    EXPECT_TRUE(Form1().isMaximized());
    Form1().showNormal();
    QApplication::processEvents();
    EXPECT_EQ(Form1().geometry(), place);
    Form1().hide();
}

// A place on a screen that is not there any more (a second monitor unplugged) is not
// restored off screen: the window opens centred; a size larger than the screen is cut to it.
TEST_F(PlaceTest, APlaceOffEveryScreenOpensCentred) {
    Settings stored = DefaultSettings();
    for (const QRect place : {QRect(Screen().right() + 3000, 100, 520, 400),
                              QRect(Screen().topLeft(), Screen().size() * 3)}) {
        stored.window.left = place.x();
        stored.window.top = place.y();
        stored.window.width = place.width();
        stored.window.height = place.height();
        SaveSettings(SettingsFile(), stored);
        Start();
        ShowAsAtStart();
        EXPECT_EQ(Form1().size(), place.size().boundedTo(Screen().size()));
        // The title bar is on the screen, where the window can be taken and moved.
        EXPECT_TRUE(Screen().contains(Form1().frameGeometry().topLeft()));
        EXPECT_TRUE(Screen().contains(Form1().geometry().center()));
        Form1().hide();
    }
}

} // namespace
} // namespace windowtest
