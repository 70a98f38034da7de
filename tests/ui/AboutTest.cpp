#include "ui/About.h"

#include "support/LayoutCheck.h"
#include "support/ModalAnswer.h"
#include "ui/UrlLabel.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

using vantuke::TForm3;
using vantuke::TUrlLabel;

namespace {

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        TUrlLabel::SetOpener([this](const QString& target) { opened << target; });
    }
    void TearDown() override { TUrlLabel::SetOpener({}); }

    template <typename T> T* Find(const char* name) {
        T* widget = box.findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TForm3 box;
    QStringList opened;
};

TEST_F(AboutTest, HistoryIsReadOnlyUnwrappedAndStartsWithThisVersion) {
    auto* history = Find<QPlainTextEdit>("Memo1");
    EXPECT_TRUE(history->isReadOnly());
    EXPECT_EQ(history->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(history->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(history->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    const QStringList lines = history->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GT(lines.size(), 1);
    const QString label = Find<QLabel>("Label4")->text();
    ASSERT_TRUE(label.startsWith(QLatin1String("Version: ")));
    const QString version = label.section(QLatin1Char(' '), 1);
    EXPECT_TRUE(lines.first().startsWith(version)) << lines.first().toStdString();
    for (const QString& line : lines)
        EXPECT_FALSE(line.trimmed().isEmpty());
}

TEST_F(AboutTest, LinksOpenTheProjectsOwnAddresses) {
    struct Case {
        const char* name;
        QString caption;
        QString target;
    };
    const Case cases[] = {
        {"UrlLabel1", QString(), QLatin1String(vantuke::kHomePageUrl)},
        {"UrlLabel2", QStringLiteral("The Vantuke developers"),
         QLatin1String(vantuke::kHomePageUrl)},
        {"UrlLabel3", QStringLiteral("Mail"), QLatin1String(vantuke::kMailUrl)},
    };
    box.show();
    for (const Case& c : cases) {
        auto* link = Find<TUrlLabel>(c.name);
        ASSERT_NE(link, nullptr);
        if (!c.caption.isNull()) {
            EXPECT_EQ(link->text(), c.caption);
        }
        opened.clear();
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(opened, QStringList{c.target}) << c.name;
    }
    // The home-page link shows the address it opens.
    EXPECT_TRUE(Find<QLabel>("UrlLabel1")->text().contains(QLatin1String(vantuke::kHomePageUrl)));
    EXPECT_TRUE(QString::fromLatin1(vantuke::kMailUrl).startsWith(QLatin1String("mailto:")));
    box.hide();
}

TEST_F(AboutTest, CopyOnTheMailLinkCopiesItsCaption) {
    auto* mail = Find<TUrlLabel>("UrlLabel3");
    mail->CopyItem()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Mail"));
}

TEST_F(AboutTest, OkClosesTheBox) {
    modalanswer::AnswerModal(box, [](QDialog& d) { modalanswer::ClickButton(d, "OK"); });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_TRUE(Find<QPushButton>("SpeedButton1")->isFlat());
}

// Even when the user left the focus on a link the last time, Enter closes the box again.
TEST_F(AboutTest, EnterClosesTheBoxWithoutOpeningALink) {
    for (int time = 0; time < 2; ++time) {
        modalanswer::AnswerModal(box, [&](QDialog& d) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
            EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>("SpeedButton1"));
            Find<TUrlLabel>("UrlLabel3")->setFocus(Qt::TabFocusReason);
            QTest::keyClick(Find<QPushButton>("SpeedButton1"), Qt::Key_Return);
        });
        EXPECT_EQ(box.exec(), QDialog::Accepted);
    }
    EXPECT_TRUE(opened.isEmpty());
}

// A path too long for the box is cut in the middle, so the start of its folder and the
// file's name both show; the tooltip holds it whole.
TEST_F(AboutTest, ShowsTheSettingsFileElidedInTheMiddle) {
    const QString path =
        QStringLiteral("/home/someone-with-a-long-name/.config/Vantuke/Vantuke.Ini");
    box.ShowSettingsPath(path);
    box.show();
    QApplication::processEvents();
    auto* field = Find<QLabel>("SettingsPath");
    ASSERT_NE(field, nullptr);
    const QString shown = field->text();
    EXPECT_EQ(field->toolTip(), path);
    EXPECT_TRUE(shown.startsWith(QLatin1String("/h"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QLatin1String("/Vantuke.Ini"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(field->fontMetrics().horizontalAdvance(shown), field->contentsRect().width());
    EXPECT_EQ(Find<QLabel>("Label5")->buddy(), field); // read out under "Settings:"
    layoutcheck::ExpectNothingClipped(box);
    layoutcheck::SaveScreenshot(box, QStringLiteral("About-settings-path"));

    // Room for all of it: all of it shows.
    box.resize(700, 265);
    QApplication::processEvents();
    EXPECT_EQ(field->text(), path);
    box.resize(260, 265);
    box.hide();
}

TEST_F(AboutTest, PanelsKeepTheirHeightsAndOkStaysRight) {
    box.show();
    EXPECT_EQ(box.size(), QSize(260, 265));
    EXPECT_EQ(box.minimumSize(), QSize(260, 215));
    layoutcheck::ExpectNothingClipped(box);
    layoutcheck::SaveScreenshot(box, QStringLiteral("About-260x265"));

    const auto check = [&] {
        EXPECT_EQ(Find<QFrame>("Panel1")->height(), 76);
        EXPECT_EQ(Find<QFrame>("Panel2")->height(), 65);
        auto* buttons = Find<QFrame>("Panel3");
        EXPECT_EQ(buttons->height(), 26);
        EXPECT_EQ(buttons->geometry().bottom(), box.height() - 1);
        auto* ok = Find<QPushButton>("SpeedButton1");
        EXPECT_LE(box.width() - ok->mapTo(&box, QPoint(ok->width(), 0)).x(), 6);
    };
    check();
    box.resize(420, 400);
    QApplication::processEvents();
    check();
    EXPECT_GT(Find<QPlainTextEdit>("Memo1")->height(), 400 - 76 - 65 - 26 - 2);

    box.resize(260, 215);
    QApplication::processEvents();
    check();
    layoutcheck::ExpectNothingClipped(box);
    layoutcheck::SaveScreenshot(box, QStringLiteral("About-260x215"));
    box.hide();
}

} // namespace
