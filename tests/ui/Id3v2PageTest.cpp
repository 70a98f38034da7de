// The "ID3v2>TAG" page: one "Copy" or "Leave" per field, and what a run takes from it.
#include "WindowFixture.h"

#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QCheckBox>
#include <QRadioButton>

using namespace vantuke;

namespace windowtest {
namespace {

class Id3v2PageTest : public WindowTest {
protected:
    QRadioButton* Copy(int row) const {
        return Find<QRadioButton>(QStringLiteral("RadioButton%1").arg(2 * row + 1));
    }
    QRadioButton* Leave(int row) const {
        return Find<QRadioButton>(QStringLiteral("RadioButton%1").arg(2 * row + 2));
    }
};

// Each row's choice is its own: leaving one field changes no other row.
TEST_F(Id3v2PageTest, EachFieldIsCopiedOrLeftOnItsOwnAndARunTakesThePage) {
    Form1().Processes()->Tabs()->SetCurrentIndex(int(Process::Id3v2ToTag));
    EXPECT_EQ(Form1().Processes()->Tabs()->Caption(int(Process::Id3v2ToTag)), "ID3v2>TAG");
    for (int row = 0; row < kTagFillRows; ++row)
        EXPECT_TRUE(Copy(row)->isChecked()) << row;
    Leave(1)->click();
    Leave(kGenreRow)->click();
    Copy(kGenreRow)->click();
    Find<QCheckBox>(QStringLiteral("CheckBox22"))->click();
    Find<QCheckBox>(QStringLiteral("CheckBox23"))->click();

    const BatchOptions options = Form1().CollectBatchOptions();
    EXPECT_EQ(options.process, Process::Id3v2ToTag);
    std::array<bool, kTagFillRows> left{};
    left[1] = true;
    EXPECT_EQ(options.id3v2ToTag.leave, left);
    EXPECT_TRUE(options.id3v2ToTag.onlyEmpty);
    EXPECT_FALSE(options.id3v2ToTag.createTag);
    EXPECT_FALSE(Copy(1)->isChecked());
    EXPECT_EQ(Leave(1)->accessibleName(), "Leave Artist");
}

} // namespace
} // namespace windowtest
