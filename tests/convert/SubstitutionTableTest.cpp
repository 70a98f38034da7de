// The rules of the substitution table's buttons, and the signals a view relies on.
#include "convert/SubstitutionTable.h"
#include "support/ModelChecks.h"

#include <QSignalSpy>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace vantuke {
namespace {

using testsupport::ModelChecks;

QStringList Numbers(const SubstitutionTable& table) {
    QStringList numbers;
    for (int row = 0; row < table.rowCount(); ++row)
        numbers << table.index(row, SubstitutionTable::kNumber).data().toString();
    return numbers;
}

Substitution Texts(const char* what, const char* with) {
    return Substitution{QString::fromUtf8(what), QString::fromUtf8(with)};
}

struct ButtonCase {
    const char* name;
    std::function<void(SubstitutionTable&)> presses;
    QList<Substitution> rows;
    QStringList numbers;
};

void PrintTo(const ButtonCase& c, std::ostream* out) {
    *out << c.name;
}

class SubstitutionButtonsTest : public testing::TestWithParam<ButtonCase> {};

TEST_P(SubstitutionButtonsTest, LeaveTheRowsAndNumbers) {
    SubstitutionTable table;
    ModelChecks checks(table);
    GetParam().presses(table);
    EXPECT_EQ(table.Rows(), GetParam().rows);
    EXPECT_EQ(Numbers(table), GetParam().numbers);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, SubstitutionButtonsTest,
    testing::Values(
        ButtonCase{"StartsWithOneEmptyRow", [](SubstitutionTable&) {}, {Substitution{}}, {""}},
        ButtonCase{"AddOnTheEmptyTableFillsRowOne",
                   [](SubstitutionTable& t) { EXPECT_EQ(t.AddRow(Texts("_", " ")), 0); },
                   {Texts("_", " ")},
                   {"1"}},
        ButtonCase{"ARowWithOnlyAWithTextIsNotEmpty",
                   [](SubstitutionTable& t) {
                       t.AddRow(Texts("", "x"));
                       EXPECT_EQ(t.AddRow(Texts("a", "")), 1);
                   },
                   {Texts("", "x"), Texts("a", "")},
                   {"1", "2"}},
        ButtonCase{"RemoveMovesTheTextsUpAndKeepsTheNumbers",
                   [](SubstitutionTable& t) {
                       for (const char* n : {"1", "2", "3"})
                           t.AddRow(Texts(n, n));
                       EXPECT_EQ(t.RemoveRow(1), 1);
                   },
                   {Texts("1", "1"), Texts("3", "3")},
                   {"1", "2"}},
        ButtonCase{"RemovingTheLastRowMakesTheNewLastCurrent",
                   [](SubstitutionTable& t) {
                       t.AddRow(Texts("1", "1"));
                       t.AddRow(Texts("2", "2"));
                       EXPECT_EQ(t.RemoveRow(1), 0);
                   },
                   {Texts("1", "1")},
                   {"1"}},
        ButtonCase{"RemovingTheOnlyRowEmptiesItAndKeepsItsNumber",
                   [](SubstitutionTable& t) {
                       t.AddRow(Texts("a", "b"));
                       EXPECT_EQ(t.RemoveRow(0), 0);
                       EXPECT_TRUE(t.IsEmpty());
                   },
                   {Substitution{}},
                   {"1"}},
        ButtonCase{"NoCurrentRowRemovesTheFirst",
                   [](SubstitutionTable& t) {
                       t.AddRow(Texts("a", "a"));
                       t.AddRow(Texts("b", "b"));
                       t.RemoveRow(-1);
                   },
                   {Texts("b", "b")},
                   {"1"}},
        ButtonCase{"ClearKeepsOneRowWithoutANumber",
                   [](SubstitutionTable& t) {
                       t.AddRow(Texts("a", "b"));
                       t.AddRow(Texts("c", "d"));
                       t.Clear();
                   },
                   {Substitution{}},
                   {""}},
        ButtonCase{"LoadedRowsHaveNoNumbersAndAddNumbersByPosition",
                   [](SubstitutionTable& t) {
                       t.SetRows({Texts("a", "b"), Texts("c", "d")});
                       t.AddRow(Texts("e", "f"));
                   },
                   {Texts("a", "b"), Texts("c", "d"), Texts("e", "f")},
                   {"", "", "3"}},
        ButtonCase{"LoadingNoRowsLeavesOneEmptyRow",
                   [](SubstitutionTable& t) { t.SetRows({}); },
                   {Substitution{}},
                   {""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SubstitutionTable, ButtonsSignalTheRowsTheyChangeAndNeverReset) {
    SubstitutionTable table;
    ModelChecks checks(table);
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&table, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&table, &QAbstractItemModel::modelReset);

    table.AddRow(Texts("a", "a")); // fills row 1: a change, no new row
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_TRUE(inserted.isEmpty());

    table.AddRow(Texts("b", "b"));
    table.AddRow(Texts("c", "c"));
    ASSERT_EQ(inserted.size(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 2);
    EXPECT_EQ(inserted[1][2].toInt(), 2);

    changed.clear();
    table.RemoveRow(0); // rows 1 and 2 take new texts, the last row goes
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 1);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 2);
    EXPECT_EQ(removed[0][2].toInt(), 2);

    table.Clear();
    ASSERT_EQ(removed.size(), 2);
    EXPECT_EQ(removed[1][1].toInt(), 1);
    EXPECT_EQ(removed[1][2].toInt(), 1);
    EXPECT_TRUE(reset.isEmpty());
    EXPECT_EQ(table.headerData(SubstitutionTable::kWhat, Qt::Horizontal).toString(),
              "Replace what:");
}

} // namespace
} // namespace vantuke
