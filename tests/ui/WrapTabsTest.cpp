// The wrapping tab bar: captions stay whole at any width, and picking a tab shows its page.
#include "ui/WrapTabs.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QSignalSpy>
#include <gtest/gtest.h>

using vantuke::WrapTabs;

namespace {

const QStringList kCaptions{QStringLiteral("TAG>Filename"),
                            QStringLiteral("Filename>TAG"),
                            QStringLiteral("TAG"),
                            QStringLiteral("UnTAG"),
                            QStringLiteral("List files/TAGs"),
                            QStringLiteral("Adjust FileName")};

class WrapTabsTest : public ::testing::TestWithParam<int> {
protected:
    WrapTabsTest() {
        for (const QString& caption : kCaptions)
            tabs_.AddPage(new QLabel(caption), caption);
    }
    void LayOut(int width) {
        tabs_.resize(width, 300);
        tabs_.layout()->activate();
        tabs_.TabBar()->layout()->setGeometry(tabs_.TabBar()->rect());
    }
    int Rows() const {
        QList<int> tops;
        for (int i = 0; i < tabs_.Count(); ++i) {
            const int top = tabs_.TabButton(i)->geometry().top();
            if (!tops.contains(top))
                tops.append(top);
        }
        return int(tops.size());
    }

    WrapTabs tabs_;
};

TEST_P(WrapTabsTest, EveryCaptionStaysWholeAndNoTabsOverlap) {
    LayOut(GetParam());
    const QRect bar = tabs_.TabBar()->rect();
    for (int i = 0; i < tabs_.Count(); ++i) {
        const QRect tab = tabs_.TabButton(i)->geometry();
        EXPECT_TRUE(bar.contains(tab)) << i << " at width " << GetParam();
        EXPECT_GE(tab.width(), tabs_.TabButton(i)->sizeHint().width()) << i;
        for (int j = i + 1; j < tabs_.Count(); ++j)
            EXPECT_FALSE(tab.intersects(tabs_.TabButton(j)->geometry())) << i << ' ' << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, WrapTabsTest, ::testing::Values(180, 267, 372, 520, 900));

TEST(WrapTabsLayout, WrapsOnlyWhenTheRowIsFull) {
    WrapTabs tabs;
    for (const QString& caption : kCaptions)
        tabs.AddPage(new QLabel(caption), caption);
    const int oneRow = tabs.TabBar()->sizeHint().width();
    const int rowHeight = tabs.TabButton(0)->sizeHint().height();
    EXPECT_EQ(tabs.TabBar()->heightForWidth(oneRow), rowHeight);
    EXPECT_GT(tabs.TabBar()->heightForWidth(oneRow - 1), rowHeight);
    // Narrower is never shorter.
    int previous = 0;
    for (int width = oneRow; width >= 120; width -= 20) {
        const int height = tabs.TabBar()->heightForWidth(width);
        EXPECT_GE(height, previous) << width;
        previous = height;
    }
    // The window's layout gives the wrapped bar the height it asks for.
    tabs.resize(300, 300);
    tabs.layout()->activate();
    EXPECT_GE(tabs.TabBar()->height(), tabs.TabBar()->heightForWidth(300));
}

TEST(WrapTabsSwitching, ClickingATabShowsItsPageOnce) {
    WrapTabs tabs;
    for (const QString& caption : kCaptions)
        tabs.AddPage(new QLabel(caption), caption);
    QSignalSpy changed(&tabs, &WrapTabs::CurrentChanged);
    EXPECT_EQ(tabs.CurrentIndex(), 0);
    EXPECT_TRUE(tabs.TabButton(0)->isChecked());

    tabs.TabButton(4)->click();
    EXPECT_EQ(tabs.CurrentIndex(), 4);
    EXPECT_TRUE(tabs.TabButton(4)->isChecked());
    EXPECT_FALSE(tabs.TabButton(0)->isChecked());
    tabs.TabButton(4)->click();
    tabs.SetCurrentIndex(42);
    tabs.SetCurrentIndex(-1);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.first().first().toInt(), 4);
    EXPECT_EQ(tabs.Caption(4), QStringLiteral("List files/TAGs"));
    EXPECT_EQ(tabs.TabButton(4)->accessibleName(), QStringLiteral("List files/TAGs"));
}

} // namespace
