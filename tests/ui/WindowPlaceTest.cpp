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
#include <QRegularExpression>
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

// Moved, sized, its tree and selection made wider and taller and a column widened: the next
// start shows it all as it was left, from the section "Window" at the end of the file.
TEST_F(PlaceTest, TheWindowComesBackAsItWasLeft) {
    ShowAsAtStart();
    const QRect place(Screen().left() + 30, Screen().top() + 40, 620, 480);
    Form1().setGeometry(place);
    QApplication::processEvents();
    auto* trees = Find<QSplitter>(QStringLiteral("Splitter1"));
    auto* page = Find<QSplitter>(QStringLiteral("Splitter2"));
    layoutcheck::DragSplitter(trees, 250 - trees->sizes().value(0));
    layoutcheck::DragSplitter(page, page->sizes().value(1) - 170);
    QHeaderView* header = Find<QTreeView>(QStringLiteral("ListView1"))->header();
    header->resizeSection(kColArtist, 199);
    ASSERT_TRUE(Close());

    const QString text = QString::fromUtf8(testsupport::ReadFile(SettingsFile()));
    EXPECT_TRUE(text.contains(QRegularExpression(
        QStringLiteral("\\[Window\\]\\nLeft=%1\\nTop=%2\\nWidth=620\\nHeight=480\\nMaximized="
                       "0\\nTreeWidth=250\\n"
                       "SelectionHeight=170\\nColumnWidths=Filename:\\d+,.*Artist:199,.*\\n$")
            .arg(place.left())
            .arg(place.top()))))
        << text.toStdString();

    Start();
    ShowAsAtStart();
    EXPECT_EQ(Form1().geometry(), place);
    EXPECT_EQ(Form1().FileSelection()->DirTree()->width(), 250);
    EXPECT_EQ(Find<QSplitter>(QStringLiteral("Splitter2"))->sizes().value(1), 170);
    EXPECT_EQ(Find<QTreeView>(QStringLiteral("ListView1"))->header()->sectionSize(kColArtist), 199);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();
    Form1().hide();
}

// A maximized window opens maximized, and keeps its normal place for when it is restored.
TEST_F(PlaceTest, AMaximizedWindowComesBackMaximized) {
    ShowAsAtStart();
    const QRect normal(Screen().left() + 20, Screen().top() + 20, 500, 420);
    Form1().setGeometry(normal);
    QApplication::processEvents();
    Form1().showMaximized();
    QApplication::processEvents();
    if (!Form1().isMaximized())
        GTEST_SKIP() << "this display cannot maximize a window";
    ASSERT_TRUE(Close());
    const Settings stored = LoadSettings(SettingsFile());
    EXPECT_TRUE(stored.window.maximized);
    EXPECT_EQ(
        QRect(stored.window.left, stored.window.top, stored.window.width, stored.window.height),
        normal);

    Start();
    ShowAsAtStart();
    EXPECT_TRUE(Form1().isMaximized());
    Form1().showNormal();
    QApplication::processEvents();
    EXPECT_EQ(Form1().size(), normal.size());
    Form1().hide();
}

// A place on a screen that is not there any more (a second monitor unplugged) is not
// restored off screen: the window opens centred; a size larger than the screen is cut to it.
TEST_F(PlaceTest, APlaceOffEveryScreenOpensCentred) {
    Settings stored = DefaultSettings();
    stored.window = WindowLayout{Screen().right() + 3000, 100, 520, 400, false, 0, 0, {}};
    SaveSettings(SettingsFile(), stored);
    Start();
    ShowAsAtStart();
    EXPECT_EQ(Form1().size(), QSize(520, 400));
    EXPECT_TRUE(Screen().contains(Form1().geometry())) << Form1().x() << "," << Form1().y();

    Form1().hide();
    stored.window = WindowLayout{Screen().left(),
                                 Screen().top(),
                                 Screen().width() * 3,
                                 Screen().height() * 3,
                                 false,
                                 0,
                                 0,
                                 {}};
    SaveSettings(SettingsFile(), stored);
    Start();
    ShowAsAtStart();
    EXPECT_LE(Form1().width(), Screen().width());
    EXPECT_LE(Form1().height(), Screen().height());
    Form1().hide();
}

// A first start opens at the designed size, centred.
TEST_F(PlaceTest, AFirstStartOpensCentredAtTheDesignedSize) {
    ShowAsAtStart();
    EXPECT_EQ(Form1().size(), QSize(372, 471));
    EXPECT_LE(std::abs(Form1().frameGeometry().center().x() - Screen().center().x()), 4);
    EXPECT_LE(std::abs(Form1().frameGeometry().center().y() - Screen().center().y()), 4);
    Form1().hide();
}

} // namespace
} // namespace windowtest
