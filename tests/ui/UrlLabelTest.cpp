#include "ui/UrlLabel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using vantuke::TUrlLabel;

namespace {

QColor FontColour(const QWidget& widget) {
    return widget.palette().color(QPalette::WindowText);
}

class UrlLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        TUrlLabel::SetOpener([this](const QString& target) {
            opened << target;
            colourWhileOpening = FontColour(label);
        });
        label.resize(120, 20);
        label.show();
    }
    void TearDown() override { TUrlLabel::SetOpener({}); }

    TUrlLabel label;
    QStringList opened;
    QColor colourWhileOpening;
};

TEST_F(UrlLabelTest, ClickOpensTheUrlOrElseTheCaptionUntrimmed) {
    struct Case {
        const char* url;
        const char* caption;
        QStringList expected;
    };
    const Case cases[] = {
        {"https://example.org/", "Home", {"https://example.org/"}},
        {"", "https://caption.example/", {"https://caption.example/"}},
        {"   ", "Caption", {"Caption"}},
        {" \t ", "  padded caption ", {"  padded caption "}},
        {" mailto:someone@example.org ", "Mail", {" mailto:someone@example.org "}},
        {"", "", {}},
        {"  ", "   ", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        opened.clear();
        label.SetURL(QString::fromUtf8(c.url));
        label.setText(QString::fromUtf8(c.caption));
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(opened, c.expected);
    }
}

TEST_F(UrlLabelTest, PurpleWhileHeldAndWhileOpening) {
    label.SetURL(QStringLiteral("https://example.org/"));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(FontColour(label), QColor(128, 0, 128));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(colourWhileOpening, QColor(128, 0, 128));
    EXPECT_EQ(FontColour(label), QColor(0, 0, 255));
}

TEST_F(UrlLabelTest, ReleaseRestoresTheColourTheLabelHadBeforeThePress) {
    QPalette red = label.palette();
    red.setColor(QPalette::WindowText, Qt::red);
    label.setPalette(red);
    label.setText(QStringLiteral("link"));
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(FontColour(label), QColor(Qt::red));
}

TEST_F(UrlLabelTest, ReleaseOutsideOpensNothingAndRestoresTheColour) {
    label.setText(QStringLiteral("https://example.org/"));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(label.width() + 30, 5));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(FontColour(label), QColor(0, 0, 255));
}

TEST_F(UrlLabelTest, OtherButtonsNeitherColourNorOpen) {
    label.setText(QStringLiteral("https://example.org/"));
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(&label, button, {}, QPoint(5, 5));
        EXPECT_EQ(FontColour(label), QColor(0, 0, 255));
        QTest::mouseRelease(&label, button, {}, QPoint(5, 5));
    }
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(UrlLabelTest, RightClickShowsCopyWhichCopiesTheCaptionNotTheUrl) {
    label.setText(QStringLiteral("Mail"));
    label.SetURL(QStringLiteral("mailto:someone@example.org"));
    QTest::mousePress(&label, Qt::RightButton, {}, QPoint(5, 5));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                label.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&label, &menuEvent);
    QMenu* menu = label.PopupMenu();
    ASSERT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Copy"));
    EXPECT_EQ(FontColour(label), QColor(0, 0, 255));

    QApplication::clipboard()->clear();
    menu->actions().first()->trigger();
    menu->close();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Mail"));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(UrlLabelTest, EnterOrSpaceOpensTheLinkFromTheKeyboard) {
    label.setText(QStringLiteral("https://example.org/"));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
        QTest::keyClick(&label, key);
    EXPECT_EQ(opened.size(), 3);
    QTest::keyClick(&label, Qt::Key_A);
    EXPECT_EQ(opened.size(), 3);
}

} // namespace
