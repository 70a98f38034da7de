// The template preset boxes and the substitution table: what their buttons do to the lists,
// and that each change reaches the settings file (or, for clearing the table, does not).
#include "WindowFixture.h"

#include "settings/Settings.h"
#include "ui/AdjustPage.h"
#include "ui/MainWindow.h"
#include "ui/PresetBox.h"
#include "ui/ProcessPages.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace vantuke;

namespace windowtest {
namespace {

// Which box, how to read its list back from a settings file.
struct BoxCase {
    const char* box;
    const char* add;
    const char* remove;
    PresetList Settings::*stored;
};

const BoxCase kBoxes[] = {
    {"ComboBox2", "SpeedButton6", "SpeedButton7", &Settings::tagToFilenamePresets},
    {"ComboBox3", "SpeedButton4", "SpeedButton5", &Settings::listPresets},
    {"ComboBox5", "SpeedButton10", "SpeedButton11", &Settings::newStylePresets},
};

void PrintTo(const BoxCase& box, std::ostream* out) {
    *out << box.box;
}

class PresetTest : public WindowTest, public ::testing::WithParamInterface<BoxCase> {
protected:
    QComboBox* Box() const { return Find<QComboBox>(QLatin1String(GetParam().box)); }
    void PressAdd() const { Find<QToolButton>(QLatin1String(GetParam().add))->click(); }
    void PressRemove() const { Find<QToolButton>(QLatin1String(GetParam().remove))->click(); }
    // Types as the user does, replacing the box's text.
    void Type(const QString& text) const {
        Box()->lineEdit()->selectAll();
        QTest::keyClicks(Box()->lineEdit(), text);
    }
    // Picks an entry from the drop-down list as the user does.
    void Choose(int index) const {
        Box()->setCurrentIndex(index);
        emit Box()->activated(index);
    }
    PresetList Stored() const { return LoadSettings(SettingsFile()).*(GetParam().stored); }
    void StartWithEntries(const QStringList& entries) {
        Settings settings = LoadSettings(SettingsFile());
        settings.*(GetParam().stored) = PresetList{entries, -1};
        SaveSettings(SettingsFile(), settings);
        Start();
    }
};

TEST_P(PresetTest, AddTwiceKeepsBothEqualEntriesAndSaves) {
    StartWithEntries({});
    Type(QStringLiteral("%1 x"));
    PressAdd();
    PressAdd();
    EXPECT_EQ(Stored(), (PresetList{{QStringLiteral("%1 x"), QStringLiteral("%1 x")}, -1}));
    EXPECT_EQ(Box()->currentText(), QStringLiteral("%1 x"));
}

TEST_P(PresetTest, RemoveAfterTypingRemovesNothingKeepsTheTextAndStillSaves) {
    StartWithEntries({QStringLiteral("a"), QStringLiteral("b")});
    Choose(1);
    // Typing an entry's exact text selects nothing, also once the edit is left.
    Type(QStringLiteral("a"));
    emit Box()->lineEdit()->editingFinished();
    EXPECT_EQ((Form1().CurrentSettings().*(GetParam().stored)).active, -1);
    ASSERT_TRUE(QFile::remove(SettingsFile()));
    PressRemove();
    EXPECT_EQ(Box()->currentText(), QStringLiteral("a"));
    EXPECT_EQ(Stored(), (PresetList{{QStringLiteral("a"), QStringLiteral("b")}, -1}));
}

TEST_P(PresetTest, RemoveDeletesTheChosenEntryAndKeepsTheText) {
    StartWithEntries({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    Choose(1);
    EXPECT_EQ(Box()->currentText(), QStringLiteral("b"));
    Form1().SaveSettings();
    EXPECT_EQ(Stored().active, 1);
    PressRemove();
    EXPECT_EQ(Box()->currentText(), QStringLiteral("b"));
    EXPECT_EQ(Stored(), (PresetList{{QStringLiteral("a"), QStringLiteral("c")}, -1}));
    // Nothing is selected any more: a second remove deletes nothing.
    PressRemove();
    EXPECT_EQ(Stored().entries.size(), 2);
}

TEST_P(PresetTest, AddDoesNotChangeTheSelectedEntry) {
    StartWithEntries({QStringLiteral("a"), QStringLiteral("b")});
    Choose(0);
    PressAdd();
    EXPECT_EQ(Stored(),
              (PresetList{{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")}, 0}));
    EXPECT_EQ(Box()->currentText(), QStringLiteral("a"));
}

TEST_P(PresetTest, AddingToAnEmptyListSelectsNothing) {
    StartWithEntries({});
    Type(QStringLiteral("t"));
    PressAdd();
    EXPECT_EQ(Stored().active, -1);
    PressRemove();
    EXPECT_EQ(Stored().entries, QStringList{QStringLiteral("t")});
}

TEST_P(PresetTest, TheSelectedEntryComesBackAfterARestart) {
    StartWithEntries({QStringLiteral("a"), QStringLiteral("b")});
    Choose(1);
    ASSERT_TRUE(Close());
    Start();
    EXPECT_EQ(Box()->currentText(), QStringLiteral("b"));
    EXPECT_EQ(Stored().active, 1);
}

INSTANTIATE_TEST_SUITE_P(Boxes, PresetTest, ::testing::ValuesIn(kBoxes),
                         [](const auto& info) { return std::string(info.param.box); });

class TableTest : public WindowTest {
protected:
    AdjustPage& Page() const { return *Form1().Processes()->Adjust(); }
    QTableView& Table() const { return *Page().Table(); }
    int RowCount() const { return Table().model()->rowCount(); }
    int CurrentRow() const { return Table().currentIndex().row(); }
    void MakeCurrent(int row) { Table().setCurrentIndex(Table().model()->index(row, 1)); }
    void Add(const QString& what, const QString& with) {
        Find<QLineEdit>(QStringLiteral("Edit1"))->setText(what);
        Find<QLineEdit>(QStringLiteral("Edit9"))->setText(with);
        Find<QToolButton>(QStringLiteral("SpeedButton18"))->click();
    }
    void Remove() { Find<QToolButton>(QStringLiteral("SpeedButton17"))->click(); }
    QStringList Numbers() const {
        QStringList numbers;
        for (int row = 0; row < RowCount(); ++row)
            numbers.append(Table().model()->index(row, 0).data().toString());
        return numbers;
    }
    QList<Substitution> Stored() const { return LoadSettings(SettingsFile()).substitutions; }
};

TEST_F(TableTest, AddOnTheEmptyTableFillsRowOne) {
    Add(QStringLiteral("_"), QStringLiteral(" "));
    EXPECT_EQ(Page().Rows(), (QList<Substitution>{{QStringLiteral("_"), QStringLiteral(" ")}}));
    EXPECT_EQ(Numbers(), QStringList{QStringLiteral("1")});
    EXPECT_EQ(Stored(), Page().Rows());
}

TEST_F(TableTest, AddAppendsWhenTheOnlyRowHasJustAWithText) {
    Add(QString(), QStringLiteral("x"));
    Add(QStringLiteral("a"), QString());
    EXPECT_EQ(Page().Rows(), (QList<Substitution>{{QString(), QStringLiteral("x")},
                                                  {QStringLiteral("a"), QString()}}));
    EXPECT_EQ(Numbers(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
}

TEST_F(TableTest, RemoveMovesTheRowsBelowUpAndKeepsTheNumbers) {
    Add(QStringLiteral("1"), QStringLiteral("one"));
    Add(QStringLiteral("2"), QStringLiteral("two"));
    Add(QStringLiteral("3"), QStringLiteral("three"));
    MakeCurrent(1);
    Remove();
    EXPECT_EQ(Page().Rows(), (QList<Substitution>{{QStringLiteral("1"), QStringLiteral("one")},
                                                  {QStringLiteral("3"), QStringLiteral("three")}}));
    EXPECT_EQ(Numbers(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(Stored(), Page().Rows());
    EXPECT_GE(CurrentRow(), 0);
}

TEST_F(TableTest, RemovingTheLastRowKeepsACurrentRow) {
    Add(QStringLiteral("1"), QStringLiteral("one"));
    Add(QStringLiteral("2"), QStringLiteral("two"));
    MakeCurrent(1);
    Remove();
    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(CurrentRow(), 0);
    Remove();
    EXPECT_EQ(Page().Rows(), QList<Substitution>{Substitution{}});
    EXPECT_EQ(Numbers(), QStringList{QStringLiteral("1")});
    EXPECT_EQ(Stored(), QList<Substitution>{Substitution{}});
}

TEST_F(TableTest, ClearDoesNotSaveButClosingStoresTheClearedTable) {
    Add(QStringLiteral("a"), QStringLiteral("b"));
    Add(QStringLiteral("c"), QStringLiteral("d"));
    Find<QToolButton>(QStringLiteral("SpeedButton16"))->click();
    EXPECT_EQ(Page().Rows(), QList<Substitution>{Substitution{}});
    EXPECT_EQ(Numbers(), QStringList{QString()});
    EXPECT_EQ(Stored().size(), 2);
    ASSERT_TRUE(Close());
    EXPECT_EQ(Stored(), QList<Substitution>{Substitution{}});
}

TEST_F(TableTest, CellsWithBlanksSurviveARestart) {
    Add(QStringLiteral(" "), QStringLiteral("  x "));
    Start();
    EXPECT_EQ(Page().Rows(), (QList<Substitution>{{QStringLiteral(" "), QStringLiteral("  x ")}}));
    EXPECT_EQ(Numbers(), QStringList{QString()});
}

} // namespace
} // namespace windowtest
