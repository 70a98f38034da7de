#include "settings/options.h"

#include "support/LayoutCheck.h"
#include "support/ModalAnswer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

using vantuke::ProgramOptions;
using vantuke::TForm4;

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    template <typename T> T* Find(const QString& name) {
        T* widget = dialog.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    TForm4 dialog;
};

TEST_F(OptionsDialogTest, OptionsComeBackAsSetAndSlidersAreClamped) {
    EXPECT_EQ(dialog.Options(), (ProgramOptions{1, 1, true}));
    struct Case {
        ProgramOptions set;
        ProgramOptions expected;
    };
    const Case cases[] = {
        {{0, 0, false}, {0, 0, false}},
        {{3, 3, true}, {3, 3, true}},
        {{2, 0, true}, {2, 0, true}},
        {{-1, 4, false}, {0, 3, false}},
        {{99, -50, true}, {3, 0, true}},
        {{1, 1, true, false, true}, {1, 1, true, false, true}},
        {{.skipFailedFiles = true, .updatePlaylists = true},
         {.skipFailedFiles = true, .updatePlaylists = true}},
    };
    for (const Case& c : cases) {
        dialog.SetOptions(c.set);
        EXPECT_EQ(dialog.Options(), c.expected)
            << c.set.extensionFormat << " " << c.set.numberOfDigits;
    }
    // The options' boxes, as the user sees them.
    struct Box {
        const char* name;
        const char* caption;
        bool ProgramOptions::*option;
    };
    const Box boxes[] = {
        {"CheckBox3", "Skip files that fail and go on", &ProgramOptions::skipFailedFiles},
        {"CheckBox5", "Update playlists that list renamed files", &ProgramOptions::updatePlaylists},
    };
    for (const Box& b : boxes) {
        auto* box = Find<QCheckBox>(QLatin1String(b.name));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QLatin1String(b.caption));
        box->setChecked(true);
        EXPECT_TRUE(dialog.Options().*b.option) << b.name;
        box->setChecked(false);
        EXPECT_FALSE(dialog.Options().*b.option) << b.name;
    }
}

TEST_F(OptionsDialogTest, TheCodePageListTakesTheGuessAndComesBackAsSet) {
    auto* list = Find<QComboBox>(QStringLiteral("ComboBox1"));
    ASSERT_EQ(list->count(), vantuke::CodePages().size());
    EXPECT_EQ(list->currentText(), QStringLiteral("Western (Windows-1252)"));
    EXPECT_EQ(Find<QLabel>(QStringLiteral("Label9"))->buddy(), list);
    ProgramOptions options;
    options.codec = vantuke::TagCodec{vantuke::FindCodePage(u"Shift_JIS"), true};
    dialog.SetOptions(options);
    EXPECT_EQ(dialog.Options(), options);
    EXPECT_EQ(list->currentText(), QStringLiteral("Japanese (Shift_JIS)"));

    QSignalSpy asked(&dialog, &TForm4::GuessRequested);
    Find<QPushButton>(QStringLiteral("Button1"))->click();
    EXPECT_EQ(asked.count(), 1);
    dialog.SetCodePage(*vantuke::FindCodePage(u"EUC-KR"));
    EXPECT_EQ(dialog.Options().codec.page, vantuke::FindCodePage(u"EUC-KR"));
    Find<QCheckBox>(QStringLiteral("CheckBox4"))->click();
    EXPECT_FALSE(dialog.Options().codec.transliterate);
    dialog.show();
    EXPECT_GE(layoutcheck::DroppedDownRows(*list, QStringLiteral("Options-CodePages")), 12);
    dialog.hide();
}

TEST_F(OptionsDialogTest, EveryWayOfClosingEmitsClosed) {
    struct Case {
        const char* name;
        std::function<void(QDialog&)> close;
    };
    const Case cases[] = {
        {"OK", [](QDialog& d) { modalanswer::ClickButton(d, QStringLiteral("OK")); }},
        {"close box", [](QDialog& d) { d.close(); }},
        {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"Enter",
         [](QDialog& d) {
             EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSignalSpy closed(&dialog, &TForm4::Closed);
        modalanswer::AnswerModal(dialog, [&](QDialog& d) {
            // A change made before closing counts, whichever way the dialog is closed.
            QTest::keyClick(Find<QSlider>(QStringLiteral("TrackBar2")), Qt::Key_Right);
            c.close(d);
        });
        dialog.SetOptions({1, 1, true});
        dialog.exec();
        EXPECT_EQ(closed.count(), 1);
        EXPECT_EQ(dialog.Options().numberOfDigits, 2);
    }
}

// Each caption stands centred under the tick of its position and inside its group, at the
// dialog's fixed size: the designed 236 by 177 pixels, grown as far as its controls need.
TEST_F(OptionsDialogTest, CaptionsStandUnderTheirTicks) {
    dialog.show();
    // At least 236 by 177: the code page rows make it wider, the options beyond the first three
    // taller; never wider than the main window.
    EXPECT_GE(dialog.width(), 236);
    EXPECT_GE(dialog.height(), 177);
    EXPECT_LE(dialog.width(), 372);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    layoutcheck::ExpectNothingClipped(dialog);
    layoutcheck::SaveScreenshot(dialog, QStringLiteral("Options"));

    struct Row {
        const char* slider;
        QStringList captions;
        int firstLabel;
    };
    const Row rows[] = {
        {"TrackBar1", {"Mp3", "mp3", "MP3", "mP3"}, 1},
        {"TrackBar2", {"1", "2", "3", "4"}, 5},
    };
    for (const Row& row : rows) {
        auto* slider = Find<QSlider>(QLatin1String(row.slider));
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = Qt::Horizontal;
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.tickPosition = slider->tickPosition();
        ASSERT_EQ(slider->maximum(), 3);
        int previousRight = -1;
        for (int value = 0; value <= 3; ++value) {
            auto* label = Find<QLabel>(QStringLiteral("Label%1").arg(row.firstLabel + value));
            EXPECT_EQ(label->text(), row.captions[value]);
            // Where the handle's centre is when the slider stands at this value.
            option.sliderPosition = value;
            option.sliderValue = value;
            const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                                 QStyle::SC_SliderHandle, slider);
            const int tick = slider->mapTo(&dialog, handle.center()).x();
            const QRect caption(label->mapTo(&dialog, QPoint(0, 0)), label->size());
            EXPECT_LE(std::abs(caption.center().x() - tick), 2) << row.slider << value;
            EXPECT_GE(caption.top(), slider->mapTo(&dialog, QPoint(0, slider->height())).y());
            EXPECT_GT(caption.left(), previousRight) << "captions overlap";
            previousRight = caption.right();
        }
    }
    dialog.hide();
}

} // namespace
