// The three wrapping tab bars keep every caption whole and readable at any width the window
// can take: each tab is as large as its caption asks, lies inside everything around it, and
// overlaps neither another tab nor the page under the bar.
#include "WindowFixture.h"
#include "WindowViews.h"

#include "ui/FilenameTagPage.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWindow>

using namespace vantuke;

namespace windowtest {
namespace {

// What of the widget the window shows: its rectangle cut by every widget around it.
QRect ShownPart(const QWidget& widget, const QWidget& window) {
    QRect shown(widget.mapTo(&window, QPoint(0, 0)), widget.size());
    for (const QWidget* around = widget.parentWidget(); around && around != &window;
         around = around->parentWidget())
        shown &= QRect(around->mapTo(&window, QPoint(0, 0)), around->size());
    return shown & window.rect();
}

std::string Describe(const QAbstractButton& tab, int width) {
    return tab.text().toStdString() + " at width " + std::to_string(width);
}

void ExpectWholeCaptions(const WrapTabs& tabs, const QWidget& window, int width) {
    const QWidget& bar = *tabs.TabBar();
    if (!bar.isVisibleTo(&window))
        return;
    // The bar has the height its rows need: the page below does not cover its last row.
    EXPECT_GE(bar.height(), bar.heightForWidth(bar.width()))
        << tabs.objectName().toStdString() << " at width " << width;
    for (int i = 0; i < tabs.Count(); ++i) {
        const QAbstractButton& tab = *tabs.TabButton(i);
        const QRect onWindow(tab.mapTo(&window, QPoint(0, 0)), tab.size());
        const QRect shown = ShownPart(tab, window);
        EXPECT_EQ(shown, onWindow)
            << Describe(tab, width) << " is cut off: " << shown.width() << 'x' << shown.height()
            << " of " << onWindow.width() << 'x' << onWindow.height() << " shown";
        EXPECT_GE(tab.width(), tab.sizeHint().width()) << Describe(tab, width);
        EXPECT_GE(tab.height(), tab.sizeHint().height()) << Describe(tab, width);
        for (int j = i + 1; j < tabs.Count(); ++j) {
            EXPECT_FALSE(tab.geometry().intersects(tabs.TabButton(j)->geometry()))
                << Describe(tab, width) << " overlaps " << Describe(*tabs.TabButton(j), width);
        }
    }
}

class TabCaptionsTest : public WindowTest,
                        public ::testing::WithParamInterface<std::tuple<QSize, WindowView>> {};

TEST_P(TabCaptionsTest, EveryCaptionStaysWhole) {
    const auto& [size, view] = GetParam();
    Form1().show();
    ShowView(Form1(), view);
    // The user drags the window to the size while the view is shown. The window manager
    // decides: it may keep to the window's smallest size, or give it less; a page that
    // needs more room then takes its width back.
    Form1().windowHandle()->resize(size);
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
    ASSERT_TRUE(Form1().width() == size.width() || Form1().width() == Form1().minimumWidth())
        << Form1().width();

    ExpectWholeCaptions(*Form1().Steps(), Form1(), Form1().width());
    ExpectWholeCaptions(*Form1().Processes()->Tabs(), Form1(), Form1().width());
    ExpectWholeCaptions(*Form1().Processes()->FilenameTag()->SubMethods(), Form1(),
                        Form1().width());
    Form1().hide();
}

// Kept to its smallest size, the window still gives the process page control its 267 by 231
// pixels, on every process page.
TEST_F(WindowTest, TheSmallestWindowKeepsTheProcessPageControlsSize) {
    Form1().show();
    Form1().Steps()->SetCurrentIndex(1);
    for (int process = 0; process < Form1().Processes()->Tabs()->Count(); ++process) {
        Form1().Processes()->Tabs()->SetCurrentIndex(process);
        QApplication::processEvents();
        Form1().resize(1, 1);
        for (int pass = 0; pass < 3; ++pass)
            QApplication::processEvents();
        const QSize pages = Form1().Processes()->Tabs()->size();
        EXPECT_GE(pages.width(), 267) << process;
        EXPECT_GE(pages.height(), 231) << process;
    }
    Form1().hide();
}

INSTANTIATE_TEST_SUITE_P(Views, TabCaptionsTest,
                         ::testing::Combine(::testing::Values(QSize(250, 300), QSize(372, 471),
                                                              QSize(900, 650)),
                                            ::testing::ValuesIn(kWindowViews)),
                         [](const auto& info) {
                             const QSize size = std::get<0>(info.param);
                             return std::to_string(size.width()) + "x" +
                                    std::to_string(size.height()) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
} // namespace windowtest
