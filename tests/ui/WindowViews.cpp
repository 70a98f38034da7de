#include "WindowViews.h"

#include "ui/FilenameTagPage.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QAbstractButton>
#include <QApplication>

namespace windowtest {

using vantuke::FilenameTagPage;

const std::array<WindowView, 9> kWindowViews{{
    {"step1", 0, -1, -1},
    {"tag_to_filename", 1, 0, -1},
    {"old_style", 1, 1, FilenameTagPage::kOldStyle},
    {"new_style", 1, 1, FilenameTagPage::kNewStyle},
    {"tag", 1, 2, -1},
    {"untag", 1, 3, -1},
    {"list", 1, 4, -1},
    {"adjust", 1, 5, -1},
    {"step3", 2, -1, -1},
}};

void ShowView(vantuke::TForm1& window, const WindowView& view) {
    window.Steps()->TabButton(view.step)->click();
    if (view.process >= 0)
        window.Processes()->Tabs()->TabButton(view.process)->click();
    if (view.subMethod >= 0)
        window.Processes()->FilenameTag()->SubMethods()->TabButton(view.subMethod)->click();
    QApplication::processEvents();
}

} // namespace windowtest
