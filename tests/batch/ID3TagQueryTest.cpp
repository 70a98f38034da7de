#include "batch/ID3TagQuery.h"

#include "support/LayoutCheck.h"
#include "support/ModalAnswer.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

using modalanswer::AnswerModal;
using modalanswer::ClickButton;
using vantuke::QueryResult;
using vantuke::TagQuery;
using vantuke::TForm2;

namespace {

const char* const kValueNames[TForm2::kRows] = {"Edit2", "Edit3", "Edit4",    "Edit5",
                                                "Edit6", "Edit7", "ComboBox1"};
// The dialog's labels by row.
const int kLabelNumbers[TForm2::kRows] = {2, 3, 4, 5, 6, 8, 7};

QStringList Genres() {
    QStringList names;
    for (int i = 0; i < 148; ++i)
        names << QStringLiteral("Genre %1").arg(i);
    return names;
}

class ID3TagQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        QComboBox page;
        page.addItems(Genres());
        page.setCurrentIndex(7);
        dialog.CopyGenreList(page);
    }

    template <typename T> T* Find(const QString& name) {
        T* widget = dialog.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    template <typename T> T* Find(const char* name) { return Find<T>(QLatin1String(name)); }
    QLabel* Label(int number) { return Find<QLabel>(QStringLiteral("Label%1").arg(number)); }

    static TagQuery AllAsked() {
        TagQuery query;
        query.path = QStringLiteral("/music/a b/01 - Song.mp3");
        query.texts = {QStringLiteral("Song"), QStringLiteral("Artist"), QStringLiteral("Album"),
                       QStringLiteral("1999"), QStringLiteral("Comment")};
        query.track = 9;
        query.genre = 17;
        query.enabled.fill(true);
        return query;
    }

    TForm2 dialog;
};

TEST_F(ID3TagQueryTest, GenreListDropsDownTwelveRows) {
    dialog.show();
    EXPECT_EQ(layoutcheck::DroppedDownRows(*Find<QComboBox>("ComboBox1"),
                                           QStringLiteral("ID3TagQuery-genres")),
              12);
    dialog.hide();
}

// The copied list starts without a selection, and a position outside it selects nothing.
TEST_F(ID3TagQueryTest, GenreListCopiesThePageAndSelectsOnlyValidPositions) {
    QComboBox* genres = Find<QComboBox>("ComboBox1");
    ASSERT_EQ(genres->count(), 148);
    EXPECT_EQ(genres->itemText(147), QStringLiteral("Genre 147"));
    EXPECT_EQ(dialog.Genre(), -1);
    EXPECT_FALSE(genres->isEditable());
    struct Case {
        int position;
        int expected;
    };
    for (const Case& c :
         {Case{0, 0}, Case{147, 147}, Case{148, -1}, Case{255, -1}, Case{-1, -1}, Case{-7, -1}}) {
        dialog.SetGenre(5);
        dialog.SetGenre(c.position);
        EXPECT_EQ(dialog.Genre(), c.expected) << c.position;
    }
}

TEST_F(ID3TagQueryTest, TextsAreCutToTheFieldCapacities) {
    const QString longText(40, QLatin1Char('x'));
    const int capacities[TForm2::kTextRows] = {30, 30, 30, 4, 30};
    for (int row = 0; row < TForm2::kTextRows; ++row) {
        dialog.SetFieldText(row, longText);
        EXPECT_EQ(dialog.FieldText(row), longText.left(capacities[row])) << row;
    }
}

// The track box takes a number from 1 to 255 or nothing: typing cannot make anything else.
TEST_F(ID3TagQueryTest, TheTrackBoxTakesOneTo255OrNothing) {
    auto* box = Find<QLineEdit>("Edit7");
    ASSERT_TRUE(box);
    const struct {
        const char* typed;
        const char* shown;
        int track;
    } cases[] = {
        {"7", "7", 7},  {"255", "255", 255},  {"256", "25", 25}, {"0", "", 0},
        {"07", "7", 7}, {"1000", "100", 100}, {"x1", "1", 1},    {"", "", 0},
    };
    for (const auto& c : cases) {
        box->clear();
        QTest::keyClicks(box, QLatin1String(c.typed));
        EXPECT_EQ(box->text(), QLatin1String(c.shown)) << c.typed;
        EXPECT_EQ(dialog.Track(), c.track) << c.typed;
    }
    dialog.SetTrack(12);
    EXPECT_EQ(box->text(), QStringLiteral("12"));
    dialog.SetTrack(0);
    EXPECT_EQ(box->text(), QString());
}

TEST_F(ID3TagQueryTest, EnablingARowEnablesItsLabelToo) {
    for (int row = 0; row < TForm2::kRows; ++row) {
        QWidget* control = Find<QWidget>(kValueNames[row]);
        QLabel* label = Label(kLabelNumbers[row]);
        ASSERT_TRUE(control && label);
        EXPECT_EQ(label->buddy(), control);
        for (bool enabled : {false, true}) {
            dialog.SetFieldEnabled(row, enabled);
            EXPECT_EQ(dialog.FieldEnabled(row), enabled);
            EXPECT_EQ(control->isEnabled(), enabled) << row;
            EXPECT_EQ(label->isEnabled(), enabled) << row;
        }
    }
}

struct AnswerCase {
    const char* name;
    std::function<void(QDialog&)> answer;
    QueryResult expected;
};

// The user types into the song name and picks genre 3 before answering; only "OK" may bring
// these values back into the query.
TEST_F(ID3TagQueryTest, AnswersAndCopiesValuesBackOnlyOnOk) {
    const std::vector<AnswerCase> cases = {
        {"OK", [](QDialog& d) { ClickButton(d, QStringLiteral("OK")); }, QueryResult::Ok},
        {"Enter",
         [](QDialog& d) {
             EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
         },
         QueryResult::Ok},
        {"Ignore", [](QDialog& d) { ClickButton(d, QStringLiteral("&Ignore")); },
         QueryResult::Ignore},
        {"Abort", [](QDialog& d) { ClickButton(d, QStringLiteral("&Abort")); }, QueryResult::Abort},
        {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QueryResult::Ignore},
        {"close", [](QDialog& d) { d.close(); }, QueryResult::Ignore},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        TagQuery query = AllAsked();
        const TagQuery before = query;
        AnswerModal(dialog, [&](QDialog& d) {
            Find<QLineEdit>("Edit2")->setText(QStringLiteral("Typed"));
            Find<QLineEdit>("Edit7")->setText(QStringLiteral("42"));
            Find<QComboBox>("ComboBox1")->setCurrentIndex(3);
            c.answer(d);
        });
        EXPECT_EQ(dialog.Ask(query), c.expected);
        if (c.expected == QueryResult::Ok) {
            EXPECT_EQ(query.texts[0], QStringLiteral("Typed"));
            EXPECT_EQ(query.texts[1], QStringLiteral("Artist"));
            EXPECT_EQ(query.track, 42);
            EXPECT_EQ(query.genre, 3);
        } else {
            EXPECT_EQ(query.texts, before.texts);
            EXPECT_EQ(query.track, before.track);
            EXPECT_EQ(query.genre, before.genre);
        }
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(ID3TagQueryTest, ShowsThePathAndTheValuesWithTheirEnabledStates) {
    TagQuery query = AllAsked();
    query.enabled = {false, true, false, true, false, true, false};
    query.genre = 200; // a byte read from a file that names no genre
    AnswerModal(dialog, [&](QDialog& d) {
        auto* path = Find<QLineEdit>("Edit1");
        EXPECT_EQ(path->text(), query.path);
        EXPECT_TRUE(path->isReadOnly());
        EXPECT_FALSE(path->hasSelectedText());
        for (int row = 0; row < TForm2::kTextRows; ++row) {
            EXPECT_EQ(dialog.FieldText(row), query.texts[row]) << row;
            EXPECT_EQ(dialog.FieldEnabled(row), query.enabled[row]) << row;
        }
        EXPECT_EQ(Find<QLineEdit>("Edit7")->text(), QStringLiteral("9"));
        EXPECT_TRUE(dialog.FieldEnabled(5));
        EXPECT_EQ(dialog.Genre(), -1);
        EXPECT_FALSE(dialog.FieldEnabled(6));
        ClickButton(d, QStringLiteral("OK"));
    });
    ASSERT_EQ(dialog.Ask(query), QueryResult::Ok);
    EXPECT_EQ(query.genre, -1);
}

// A path longer than the box is wide can be read whole, in the box's tooltip.
TEST_F(ID3TagQueryTest, ThePathBoxShowsTheWholePathAsItsTooltip) {
    TagQuery query = AllAsked();
    for (const QString& path :
         {QStringLiteral("/music/") + QString(200, QLatin1Char('x')) + QStringLiteral(".mp3"),
          QStringLiteral("/music/short.mp3")}) {
        query.path = path;
        AnswerModal(dialog, [&](QDialog& d) {
            EXPECT_EQ(Find<QLineEdit>("Edit1")->toolTip(), path);
            ClickButton(d, QStringLiteral("&Ignore"));
        });
        EXPECT_EQ(dialog.Ask(query), QueryResult::Ignore);
    }
}

TEST_F(ID3TagQueryTest, EnteringThePathBoxByTabSelectsNothing) {
    TagQuery query = AllAsked();
    AnswerModal(dialog, [&](QDialog& d) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        auto* path = Find<QLineEdit>("Edit1");
        path->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(path->hasFocus());
        EXPECT_FALSE(path->hasSelectedText());
        ClickButton(d, QStringLiteral("&Ignore"));
    });
    dialog.Ask(query);
}

TEST_F(ID3TagQueryTest, FocusGoesToTheFirstEnabledValueControl) {
    struct Case {
        std::array<bool, TForm2::kRows> enabled;
        const char* focused;
    };
    // Run one after the other: the focus left from the previous query must not stay.
    const Case cases[] = {
        {{true, true, true, true, true, true, true}, "Edit2"},
        {{false, false, false, true, false, false, false}, "Edit5"},
        {{false, true, false, false, true, false, false}, "Edit3"},
        {{false, false, false, false, false, false, true}, "ComboBox1"},
        {{false, false, false, false, false, true, true}, "Edit7"},
        {{false, false, false, false, true, true, true}, "Edit6"},
        {{true, false, false, false, false, false, false}, "Edit2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focused);
        TagQuery query = AllAsked();
        query.enabled = c.enabled;
        QString focused;
        AnswerModal(dialog, [&](QDialog& d) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
            if (QWidget* widget = QApplication::focusWidget())
                focused = widget->objectName();
            ClickButton(d, QStringLiteral("&Ignore"));
        });
        dialog.Ask(query);
        EXPECT_EQ(focused, QLatin1String(c.focused));
    }
}

TEST_F(ID3TagQueryTest, NoEnabledFieldAnswersOkWithoutShowing) {
    TagQuery query = AllAsked();
    query.enabled.fill(false);
    bool shown = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [&] {
        shown = true;
        dialog.reject();
    });
    guard.start(0);
    EXPECT_EQ(dialog.Ask(query), QueryResult::Ok);
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialog.Genre(), 17);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), query.path);
}

TEST_F(ID3TagQueryTest, SizeRules) {
    // What a query for a file with "Year" and "Genre" asked looks like.
    const TagQuery query = AllAsked();
    Find<QLineEdit>("Edit1")->setText(query.path);
    for (int row = 0; row < TForm2::kRows; ++row) {
        if (row < TForm2::kTextRows)
            dialog.SetFieldText(row, query.texts[row]);
        dialog.SetFieldEnabled(row, row == 3 || row == vantuke::kGenreRow);
    }
    dialog.SetGenre(query.genre);
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(311, 253));
    layoutcheck::ExpectNothingClipped(dialog);
    layoutcheck::SaveScreenshot(dialog, QStringLiteral("ID3TagQuery-311x253"));

    const auto distanceToRightEdge = [&](const char* name) {
        QWidget* widget = Find<QWidget>(name);
        return dialog.width() - widget->mapTo(&dialog, QPoint(widget->width(), 0)).x();
    };
    const char* const kept[] = {"Edit1", "Edit2", "Edit5", "ComboBox1", "BitBtn1", "BitBtn3"};
    std::map<std::string, int> before;
    for (const char* name : kept)
        before[name] = distanceToRightEdge(name);

    dialog.resize(520, 400);
    QApplication::processEvents();
    EXPECT_EQ(dialog.size(), QSize(520, 253));
    for (const char* name : kept)
        EXPECT_EQ(distanceToRightEdge(name), before[name]) << name;
    EXPECT_GT(Find<QWidget>("Edit2")->width(), 311 - 100);

    dialog.resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(dialog.size(), QSize(248, 253));
    layoutcheck::ExpectNothingClipped(dialog);
    layoutcheck::SaveScreenshot(dialog, QStringLiteral("ID3TagQuery-248x253"));
    dialog.hide();
}

// Beside its buttons the dialog says which file of the run it asks about; at its smallest
// width a run of a hundred thousand files still shows whole.
TEST_F(ID3TagQueryTest, SaysWhichFileOfTheRunItAsks) {
    TagQuery query = AllAsked();
    query.entryNumber = 99999;
    query.entryCount = 100000;
    AnswerModal(dialog, [&](QDialog& d) {
        EXPECT_EQ(Find<QLabel>("EntryLabel")->text(), "99999 of 100000");
        d.resize(100, 100);
        QApplication::processEvents();
        layoutcheck::ExpectNothingClipped(d);
        layoutcheck::SaveScreenshot(d, QStringLiteral("ID3TagQuery-numbered-smallest"));
        ClickButton(d, QStringLiteral("&Ignore"));
    });
    EXPECT_EQ(dialog.Ask(query), QueryResult::Ignore);
}

} // namespace
