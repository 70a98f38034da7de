// The "TAG" page: the enabling rules of the "Ask:" and "Leave:" boxes, here and in the
// "ID3 Tag Query" dialog, and the page values mirrored into the dialog.
#include "WindowFixture.h"
#include "support/LayoutCheck.h"

#include "batch/ID3TagQuery.h"
#include "ui/MainWindow.h"
#include "ui/ProcessPages.h"
#include "ui/TagPage.h"
#include "ui/WrapTabs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using namespace vantuke;

namespace windowtest {
namespace {

class TagPageTest : public WindowTest {
protected:
    // The rows' controls: Song Name, Artist, Album, Year, Comment, Track, Genre.
    QCheckBox* Ask(int row) const {
        const int numbers[kTagFillRows] = {1, 2, 3, 4, 5, 20, 6};
        return Find<QCheckBox>(QStringLiteral("CheckBox%1").arg(numbers[row]));
    }
    QCheckBox* Leave(int row) const {
        const int numbers[kTagFillRows] = {7, 8, 9, 10, 11, 21, 12};
        return Find<QCheckBox>(QStringLiteral("CheckBox%1").arg(numbers[row]));
    }
    QWidget* Value(int row) const {
        if (row == kGenreRow)
            return Find<QComboBox>(QStringLiteral("ComboBox1"));
        return Find<QLineEdit>(QStringLiteral("Edit%1").arg(row + 2));
    }
    // Unchecks the "Leave:" boxes checked at first (the track's), as a user would.
    void AskEveryRow() const {
        for (int row = 0; row < kTagFillRows; ++row) {
            if (Leave(row)->isChecked())
                Leave(row)->click();
        }
    }
    QLabel* Label(int row) const {
        for (QLabel* label : Form1().Processes()->Tag()->findChildren<QLabel*>()) {
            if (label->buddy() == Value(row))
                return label;
        }
        ADD_FAILURE() << "no label for row " << row;
        return nullptr;
    }
    TForm2& Dialog() const { return windows_->Query(); }
};

// Clicks are what the user does; each ends in the state the table names.
struct Clicks {
    std::vector<char> sequence; // 'a' clicks Ask, 'l' clicks Leave
    bool pageEnabled;
    bool askEnabled;
    bool askChecked;
    bool dialogEnabled;
};

void PrintTo(const Clicks& clicks, std::ostream* out) {
    *out << "clicks \"" << std::string(clicks.sequence.begin(), clicks.sequence.end()) << '"';
}

class EnablingTest : public TagPageTest,
                     public ::testing::WithParamInterface<std::tuple<int, Clicks>> {};

TEST_P(EnablingTest, EveryRowFollowsItsBoxes) {
    const auto& [row, clicks] = GetParam();
    AskEveryRow();
    for (char click : clicks.sequence)
        (click == 'a' ? Ask(row) : Leave(row))->click();
    EXPECT_EQ(Value(row)->isEnabled(), clicks.pageEnabled);
    EXPECT_EQ(Label(row)->isEnabled(), clicks.pageEnabled);
    EXPECT_EQ(Ask(row)->isEnabled(), clicks.askEnabled);
    EXPECT_EQ(Ask(row)->isChecked(), clicks.askChecked);
    EXPECT_EQ(Dialog().FieldEnabled(row), clicks.dialogEnabled);
    // The other rows are untouched.
    for (int other = 0; other < kTagFillRows; ++other) {
        if (other != row) {
            EXPECT_TRUE(Dialog().FieldEnabled(other)) << other;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EnablingTest,
    ::testing::Combine(
        ::testing::Range(0, kTagFillRows),
        ::testing::Values(Clicks{{}, true, true, true, true},         // asked at start
                          Clicks{{'a'}, true, true, false, false},    // neither: page value
                          Clicks{{'l'}, false, false, true, false},   // left: Ask keeps its mark
                          Clicks{{'l', 'l'}, true, true, true, true}, // back to asked
                          Clicks{{'a', 'l'}, false, false, false, false}, // left, Ask unchecked
                          Clicks{{'a', 'l', 'l'}, true, true, false, false}
                          // Leave off again, not asked
                          )));

// At first every row is asked but the track, which is left: a run keeps each file's track
// unless the user says otherwise.
TEST_F(TagPageTest, AtFirstTheTrackIsLeft) {
    for (int row = 0; row < kTagFillRows; ++row) {
        EXPECT_TRUE(Ask(row)->isChecked()) << row;
        EXPECT_EQ(Leave(row)->isChecked(), row == kTrackRow) << row;
        EXPECT_EQ(Value(row)->isEnabled(), row != kTrackRow) << row;
        EXPECT_EQ(Dialog().FieldEnabled(row), row != kTrackRow) << row;
    }
    EXPECT_EQ(Label(kTrackRow)->text(), QStringLiteral("Track:"));
}

TEST_F(TagPageTest, PageTextsAndGenreAreMirroredIntoTheDialog) {
    for (int row = 0; row < 5; ++row) {
        auto* edit = qobject_cast<QLineEdit*>(Value(row));
        edit->setText(QStringLiteral("value %1").arg(row));
        EXPECT_EQ(Dialog().FieldText(row), edit->text()) << row;
    }
    auto* track = qobject_cast<QLineEdit*>(Value(kTrackRow));
    track->setText(QStringLiteral("31"));
    EXPECT_EQ(Dialog().Track(), 31);
    track->clear();
    EXPECT_EQ(Dialog().Track(), 0);
    Find<QComboBox>(QStringLiteral("ComboBox1"))->setCurrentIndex(17);
    EXPECT_EQ(Dialog().Genre(), 17);
    Find<QComboBox>(QStringLiteral("ComboBox1"))->setCurrentIndex(-1);
    EXPECT_EQ(Dialog().Genre(), -1);
}

TEST_F(TagPageTest, TheKeyboardWalksTheRowsInReadingOrder) {
    QStringList order;
    QWidget* widget = Value(0);
    while (order.size() < 22) {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(order,
              (QStringList{"Edit2",      "CheckBox1",  "CheckBox7",  "Edit3",     "CheckBox2",
                           "CheckBox8",  "Edit4",      "CheckBox3",  "CheckBox9", "Edit5",
                           "CheckBox4",  "CheckBox10", "Edit6",      "CheckBox5", "CheckBox11",
                           "Edit7",      "CheckBox20", "CheckBox21", "ComboBox1", "CheckBox6",
                           "CheckBox12", "CheckBox13"}));
}

// The page's list drops down as many rows as the dialog's, whatever the style would do.
TEST_F(TagPageTest, GenreListDropsDownTwelveRows) {
    Form1().show();
    Form1().Steps()->SetCurrentIndex(1);
    Form1().Processes()->Tabs()->SetCurrentIndex(2);
    EXPECT_EQ(layoutcheck::DroppedDownRows(*Find<QComboBox>(QStringLiteral("ComboBox1"))), 12);
    Form1().hide();
}

TEST_F(TagPageTest, EditLimitsMatchTheFieldCapacities) {
    const int limits[6] = {30, 30, 30, 4, 30, 3};
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(qobject_cast<QLineEdit*>(Value(row))->maxLength(), limits[row]) << row;
}

TEST_F(TagPageTest, LoadedSettingsRunTheSameRulesAndReachTheDialog) {
    TagFillOptions stored;
    stored.values = {QStringLiteral("Song"), QStringLiteral("Artist"), QString(),
                     QStringLiteral("1999"), QString()};
    stored.track = 14;
    stored.genre = 8;
    stored.ask = {false, true, true, false, true, true, true};
    stored.leave = {false, true, false, false, false, false, true};
    Settings settings = LoadSettings(SettingsFile());
    settings.tagFill = stored;
    SaveSettings(SettingsFile(), settings);

    Start();
    EXPECT_EQ(Form1().Processes()->Tag()->Options(), stored);
    EXPECT_EQ(Dialog().FieldText(0), QStringLiteral("Song"));
    EXPECT_EQ(Dialog().FieldText(3), QStringLiteral("1999"));
    EXPECT_EQ(Dialog().Track(), 14);
    EXPECT_EQ(Dialog().Genre(), 8);
    const bool dialogEnabled[kTagFillRows] = {false, false, true, false, true, true, false};
    const bool pageEnabled[kTagFillRows] = {true, false, true, true, true, true, false};
    for (int row = 0; row < kTagFillRows; ++row) {
        EXPECT_EQ(Dialog().FieldEnabled(row), dialogEnabled[row]) << row;
        EXPECT_EQ(Value(row)->isEnabled(), pageEnabled[row]) << row;
        EXPECT_EQ(Ask(row)->isEnabled(), pageEnabled[row]) << row;
    }
}

} // namespace
} // namespace windowtest
