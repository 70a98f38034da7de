// The window as a user sees it: every step, process page and sub-page at the designed size
// of 372 x 471 and at a larger size, with nothing cut off. With VANTUKE_SCREENSHOT_DIR set,
// each view is also saved as a picture.
#include "WindowFixture.h"

#include "support/LayoutCheck.h"
#include "ui/FilenameTagPage.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <algorithm>

using namespace vantuke;

namespace windowtest {
namespace {

std::string Describe(const QWidget& widget) {
    return QStringLiteral("%1 (%2)")
        .arg(widget.objectName(), QLatin1String(widget.metaObject()->className()))
        .toStdString();
}

// Every control a user works with is whole and usable: it lies inside its parent, a caption
// is never cut, an edit or box keeps its height, and a list or text box shows at least two
// lines. The parts Qt builds inside lists and boxes (headers, scroll bars) are theirs.
void ExpectUsable(QWidget& window) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->isWindow() || !widget->isVisibleTo(&window))
            continue;
        const QWidget* parent = widget->parentWidget();
        if (qobject_cast<QHeaderView*>(widget) || qobject_cast<QScrollBar*>(widget) ||
            qobject_cast<const QComboBox*>(parent) ||
            widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        EXPECT_TRUE(parent->rect().contains(widget->geometry()))
            << Describe(*widget) << " sticks out of " << Describe(*parent);
        const auto* label = qobject_cast<const QLabel*>(widget);
        if ((label && !label->wordWrap()) || qobject_cast<const QAbstractButton*>(widget)) {
            EXPECT_GE(widget->width(), widget->sizeHint().width())
                << Describe(*widget) << " cuts its caption";
        }
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(widget)) {
            EXPECT_GE(area->viewport()->height(), 2 * area->fontMetrics().height())
                << Describe(*widget) << " shows less than two lines";
        } else if (label || qobject_cast<const QAbstractButton*>(widget) ||
                   qobject_cast<const QLineEdit*>(widget) ||
                   qobject_cast<const QComboBox*>(widget)) {
            EXPECT_GE(widget->height(), widget->minimumSizeHint().height())
                << Describe(*widget) << " is squeezed";
        }
    }
}

struct View {
    const char* name;
    int step;
    int process;   // -1: not on step 2
    int subMethod; // -1: not "Filename>TAG"
};

const View kViews[] = {
    {"step1", 0, -1, -1},
    {"step2-tag-to-filename", 1, 0, -1},
    {"step2-filename-to-tag-old-style", 1, 1, FilenameTagPage::kOldStyle},
    {"step2-filename-to-tag-new-style", 1, 1, FilenameTagPage::kNewStyle},
    {"step2-tag", 1, 2, -1},
    {"step2-untag", 1, 3, -1},
    {"step2-list", 1, 4, -1},
    {"step2-adjust", 1, 5, -1},
    {"step2-id3v2-to-tag", 1, 6, -1},
    {"step3", 2, -1, -1},
};

void PrintTo(const View& view, std::ostream* out) {
    *out << view.name;
}

// Every control a keyboard reaches has a name a screen reader can speak: a button its
// caption or hint; an edit, box or list the label in front of it (found by the reader as the
// control's label) or a name of its own.
void ExpectSpokenNames(QWidget& window) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->focusPolicy() == Qt::NoFocus ||
            qobject_cast<QComboBox*>(widget->parentWidget()) || widget->inherits("QScrollArea"))
            continue;
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(spoken, nullptr) << Describe(*widget);
        if (qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_FALSE(spoken->text(QAccessible::Name).trimmed().isEmpty())
                << Describe(*widget) << " has no spoken name";
        } else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                   qobject_cast<QAbstractScrollArea*>(widget)) {
            EXPECT_TRUE(!widget->accessibleName().isEmpty() ||
                        !spoken->relations(QAccessible::Label).isEmpty())
                << Describe(*widget) << " has neither a label nor a name";
        }
    }
}

class LookTest : public WindowTest,
                 public ::testing::WithParamInterface<std::tuple<QSize, View>> {};

TEST_P(LookTest, NothingIsCutOffAndEveryControlHasASpokenName) {
    const auto& [size, view] = GetParam();
    Form1().resize(size);
    Form1().show();
    Form1().Steps()->SetCurrentIndex(view.step);
    if (view.process >= 0)
        Form1().Processes()->Tabs()->SetCurrentIndex(view.process);
    if (view.subMethod >= 0)
        Form1().Processes()->FilenameTag()->SubMethods()->SetCurrentIndex(view.subMethod);
    // Layout requests travel up one level per pass.
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
    EXPECT_EQ(Form1().size(), size);
    ExpectUsable(Form1());
    ExpectSpokenNames(Form1());
    layoutcheck::SaveScreenshot(Form1(), QStringLiteral("mainwindow-%1x%2-%3")
                                             .arg(size.width())
                                             .arg(size.height())
                                             .arg(QLatin1String(view.name)));
    Form1().hide();
}

INSTANTIATE_TEST_SUITE_P(Views, LookTest,
                         ::testing::Combine(::testing::Values(QSize(372, 471), QSize(900, 650),
                                                              QSize(1280, 900)),
                                            ::testing::ValuesIn(kViews)),
                         [](const auto& info) {
                             const QSize size = std::get<0>(info.param);
                             std::string name = std::get<1>(info.param).name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return std::to_string(size.width()) + "x" +
                                    std::to_string(size.height()) + "_" + name;
                         });

} // namespace
} // namespace windowtest
