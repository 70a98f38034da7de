// The window used from the keyboard alone: Tab walks every view in reading order, each stop
// has a name a screen reader can speak, and Ctrl+Tab / Ctrl+Shift+Tab move between the steps.
#include "WindowFixture.h"
#include "WindowViews.h"

#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <map>

using namespace vantuke;

namespace windowtest {
namespace {

// A focus stop as the test names it: its object name, or for the tabs and radio lines, which
// have none, the name a screen reader speaks.
QString SpokenName(QWidget* widget) {
    if (!widget->accessibleName().isEmpty())
        return widget->accessibleName();
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
    if (!spoken)
        return QString();
    QString name = spoken->text(QAccessible::Name);
    if (name.isEmpty() && !spoken->relations(QAccessible::Label).isEmpty())
        name = spoken->relations(QAccessible::Label).first().first->text(QAccessible::Name);
    return name;
}

// A walk as one readable line.
std::string Line(const QStringList& stops) {
    return stops.join(QStringLiteral(" | ")).toStdString();
}

QString StopName(QWidget* widget) {
    return widget->objectName().isEmpty() ? SpokenName(widget) : widget->objectName();
}

// The stops of each view, in the order Tab reaches them from the step's tab.
const QString kStep2 = QStringLiteral("Step2: Select process");

const std::map<std::string, QStringList> kStops{
    {"step1",
     {"Step1: Select files to process", "ComboBox4", "SpeedButton8", "SpeedButton9", "DirTree1",
      "ListView1", "FilterComboBox1", "SpeedButton12", "SpeedButton13", "SpeedButton14",
      "SpeedButton15", "ListBox1"}},
    {"tag_to_filename",
     {kStep2, "TAG>Filename", "ComboBox2", "SpeedButton6", "SpeedButton7", "Memo2"}},
    {"old_style",
     {kStep2, "Filename>TAG", "Old Style", "Edit8", "CheckBox17", "Artist,Separator,Songname",
      "CheckBox14", "Memo2"}},
    {"new_style",
     {kStep2, "Filename>TAG", "New Style", "ComboBox5", "SpeedButton10", "SpeedButton11",
      "CheckBox14", "Memo2"}},
    {"tag",
     {kStep2, "TAG", "Edit2", "CheckBox1", "CheckBox7", "Edit3", "CheckBox2", "CheckBox8", "Edit4",
      "CheckBox3", "CheckBox9", "Edit5", "CheckBox4", "CheckBox10", "Edit6", "CheckBox5",
      "CheckBox11",
      // The track's box and "Ask:" are disabled while its "Leave:" is checked.
      "CheckBox21", "ComboBox1", "CheckBox6", "CheckBox12", "CheckBox13", "Memo2"}},
    {"untag", {kStep2, "UnTAG", "CheckBox15", "Memo2"}},
    {"list",
     {kStep2, "List files/TAGs", "ComboBox3", "SpeedButton4", "SpeedButton5", "CheckBox18",
      "Memo2"}},
    {"adjust",
     {kStep2, "Adjust FileName", "StringGrid1", "Edit1", "Edit9", "SpeedButton18", "SpeedButton17",
      "SpeedButton16", "Memo2"}},
    {"step3",
     {"Step3: Execute", "Memo1", "CheckBox19", "SpeedButton20", "SpeedButton22", "SpeedButton21",
      "SpeedButton19", "PreviewButton"}},
};

class KeyboardTest : public WindowTest {
protected:
    KeyboardTest() {
        Form1().show();
        Form1().activateWindow();
        active_ = QTest::qWaitForWindowActive(&Form1());
    }
    ~KeyboardTest() override { Form1().hide(); }

    // Presses the key on the focused control and names where the focus went.
    QString Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus)
            return QStringLiteral("(no focus)");
        QTest::keyClick(focus, key, modifiers);
        focus = QApplication::focusWidget();
        return focus ? StopName(focus) : QStringLiteral("(no focus)");
    }
    // The stops Tab (or Shift+Tab) visits from the focused control until it comes back.
    QStringList Walk(Qt::Key key) {
        QStringList stops{StopName(QApplication::focusWidget())};
        for (int i = 0; i < 60; ++i) {
            const QString stop = Press(key);
            if (stop == stops.first())
                break;
            stops << stop;
        }
        return stops;
    }

    bool active_ = false;
};

class FocusOrderTest : public KeyboardTest, public ::testing::WithParamInterface<WindowView> {};

TEST_P(FocusOrderTest, TabWalksTheViewAsItIsReadAndShiftTabWalksBack) {
    ASSERT_TRUE(active_) << "the window cannot be made active on this platform";
    const WindowView& view = GetParam();
    const QStringList& stops = kStops.at(view.name);
    ShowView(Form1(), view);
    Form1().Steps()->TabButton(view.step)->setFocus(Qt::TabFocusReason);

    EXPECT_EQ(Line(Walk(Qt::Key_Tab)), Line(stops));

    QStringList back = stops.mid(1);
    std::reverse(back.begin(), back.end());
    back.prepend(stops.first());
    EXPECT_EQ(Line(Walk(Qt::Key_Backtab)), Line(back));
}

TEST_P(FocusOrderTest, EveryStopHasASpokenName) {
    ASSERT_TRUE(active_) << "the window cannot be made active on this platform";
    const WindowView& view = GetParam();
    ShowView(Form1(), view);
    Form1().Steps()->TabButton(view.step)->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < int(kStops.at(view.name).size()); ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_FALSE(SpokenName(focus).trimmed().isEmpty())
            << focus->metaObject()->className() << " has no spoken name";
        Press(Qt::Key_Tab);
    }
}

INSTANTIATE_TEST_SUITE_P(Views, FocusOrderTest, ::testing::ValuesIn(kWindowViews),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyboardTest, CtrlTabMovesBetweenTheStepsFromAnyControl) {
    ASSERT_TRUE(active_) << "the window cannot be made active on this platform";
    Find<QWidget>(QStringLiteral("ListView1"))->setFocus(Qt::MouseFocusReason);

    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 1);
    // The focus follows into the step shown.
    EXPECT_TRUE(Form1().Steps()->Page(1)->isAncestorOf(QApplication::focusWidget()));

    Form1().Processes()->Tabs()->TabButton(2)->click();
    Find<QWidget>(QStringLiteral("Edit3"))->setFocus(Qt::MouseFocusReason);
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 2);
    // Past the last step comes the first again, as in every tabbed window.
    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 0);

    Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 2);
    Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 1);
    // Moving steps never changes the process.
    EXPECT_EQ(Form1().Processes()->Tabs()->CurrentIndex(), 2);
}

TEST_F(KeyboardTest, OnAStepTabCtrlTabMovesTheFocusToTheNewTab) {
    ASSERT_TRUE(active_) << "the window cannot be made active on this platform";
    Form1().Steps()->TabButton(0)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Press(Qt::Key_Tab, Qt::ControlModifier).toStdString(), kStep2.toStdString());
    // The shown step's tab is the bar's one stop: Tab goes on into its page.
    EXPECT_EQ(Press(Qt::Key_Tab).toStdString(), QStringLiteral("TAG>Filename").toStdString());
    EXPECT_EQ(Press(Qt::Key_Backtab).toStdString(), kStep2.toStdString());
    // Arrow keys move along the bar and show the page, as on any tab bar.
    EXPECT_EQ(Press(Qt::Key_Right).toStdString(), QStringLiteral("Step3: Execute").toStdString());
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 2);
    EXPECT_EQ(Press(Qt::Key_Tab).toStdString(), QStringLiteral("Memo1").toStdString());
}

} // namespace
} // namespace windowtest
