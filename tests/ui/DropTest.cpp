// Files, folders and playlists dragged from a file manager onto the window.
#include "WindowFixture.h"

#include "platform/NameBytes.h"
#include "ui/FileSelectionPage.h"
#include "ui/MainWindow.h"
#include "ui/WrapTabs.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

using namespace vantuke;

namespace windowtest {
namespace {

// A file manager's URL of a path: its bytes, percent-encoded.
QByteArray FileUrl(const QString& path) {
    return "file://" + NameToBytes(path).toPercentEncoding("/");
}

class DropTest : public WindowTest {
protected:
    DropTest() {
        Form1().resize(372, 471);
        Form1().show();
    }
    ~DropTest() override { Form1().hide(); }

    QString Path(const QString& name) const { return FilesDir() + name; }

    // Drags the data over the window and lets it go, as a file manager offers it: to be
    // copied or moved, moving proposed. Gives the action the window took; IgnoreAction when
    // it refused the drag.
    Qt::DropAction Drop(const QMimeData& data,
                        Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
        const QPointF where(Form1().width() / 2, Form1().height() / 2);
        QDragEnterEvent enter(where.toPoint(), offered, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(offered.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
        enter.ignore();
        QApplication::sendEvent(&Form1(), &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent drop(where, offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction(enter.dropAction());
        drop.ignore();
        QApplication::sendEvent(&Form1(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    QStringList Entries() const { return Form1().FileSelection()->Selection().Entries(); }
};

// A Latin-1 name comes as its own bytes, a folder brings its MP3 files and those of its
// subfolders in the window's order, a playlist its entries; the drop is taken as a copy, so
// the file manager never deletes what it dragged, and the entries show on step 1.
TEST_F(DropTest, FilesFoldersAndPlaylistsGoIntoTheSelection) {
    const QString latin1 = testsupport::PathOfBytes(FilesDir(), "Caf\xE9.mp3");
    testsupport::WriteMp3(latin1, 100);
    testsupport::WriteMp3(testsupport::PathOfBytes(FilesDir(), "Caf\xEF\xBF\xBD.mp3"), 100);
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("Album/Disc 2"))));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("lists"))));
    for (const char* name :
         {"Album/b.mp3", "Album/A.mp3", "Album/Disc 2/c.mp3", "solo.mp3", "other.mp3"})
        testsupport::WriteMp3(Path(QLatin1String(name)), 200);
    testsupport::WriteFile(Path(QStringLiteral("Album/cover.jpg")), "x");
    testsupport::WriteFile(Path(QStringLiteral("lists/party.m3u")),
                           "#EXTM3U\n../Album/b.mp3\n../solo.mp3\n");
    testsupport::WriteFile(Path(QStringLiteral("lists/radio.pls")),
                           "[playlist]\nNumberOfEntries=1\nFile1=../other.mp3\n");

    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), "# dragged\r\n" + FileUrl(latin1) + "\r\n" +
                                                      FileUrl(Path("Album/")) + "\r\n" +
                                                      FileUrl(Path("lists/party.m3u")) + "\r\n" +
                                                      FileUrl(Path("lists/radio.pls")) + "\r\n");
    Form1().Steps()->SetCurrentIndex(2);
    EXPECT_EQ(Drop(data), Qt::CopyAction);
    EXPECT_EQ(Entries(),
              (QStringList{latin1, Path("Album/A.mp3"), Path("Album/b.mp3"),
                           Path("Album/Disc 2/c.mp3"), Path("solo.mp3"), Path("other.mp3")}));
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 0);
    EXPECT_EQ(Find<QLabel>(QStringLiteral("Label4"))->text(),
              QStringLiteral("Status: 6 files selected (%1 bytes)").arg(100 + 5 * 200));
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();

    // URLs as Qt programs drag them come the same way; what is there already stays once.
    QMimeData fromQt;
    fromQt.setUrls({QUrl::fromLocalFile(Path(QStringLiteral("solo.mp3"))),
                    QUrl::fromLocalFile(Path(QStringLiteral("lists")))});
    EXPECT_EQ(Drop(fromQt, Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(Entries().size(), 6);
}

// A drag that can only move, or brings no local file, is refused and adds nothing.
TEST_F(DropTest, MovesAndOtherThingsAreRefused) {
    testsupport::WriteMp3(Path(QStringLiteral("solo.mp3")), 200);
    QMimeData files;
    files.setData(QStringLiteral("text/uri-list"), FileUrl(Path("solo.mp3")) + "\r\n");
    EXPECT_EQ(Drop(files, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(Drop(files, Qt::LinkAction | Qt::MoveAction), Qt::LinkAction);
    EXPECT_EQ(Entries(), QStringList{Path(QStringLiteral("solo.mp3"))});

    QMimeData others;
    others.setData(QStringLiteral("text/uri-list"),
                   "http://radio.example/stream.mp3\r\nfile://nas/music/a.mp3\r\n");
    others.setText(QStringLiteral("/some/text.mp3"));
    EXPECT_EQ(Drop(others), Qt::IgnoreAction);
    EXPECT_EQ(Entries().size(), 1);
}

// Wherever on the window a drag is let go, on the lists, the tree or the status box, it
// reaches the window: no control in the way takes it for itself.
TEST_F(DropTest, EveryPlaceOfTheStepsLetsTheDropThrough) {
    const struct {
        int step;
        const char* name;
    } places[] = {{0, "DirTree1"},        {0, "ListView1"}, {0, "ListBox1"}, {0, "ComboBox4"},
                  {0, "FilterComboBox1"}, {1, "Memo2"},     {2, "Memo1"},    {2, "SpeedButton19"}};
    for (const auto& place : places) {
        Form1().Steps()->SetCurrentIndex(place.step);
        QApplication::processEvents();
        auto* control = Find<QWidget>(QLatin1String(place.name));
        ASSERT_NE(control, nullptr);
        const QPoint where = control->mapTo(&Form1(), control->rect().center());
        // The widget Qt hands a drag to: the first under the pointer, or above it, that
        // takes drops.
        QWidget* target = Form1().childAt(where);
        while (target && target != &Form1() && !target->acceptDrops())
            target = target->parentWidget();
        EXPECT_EQ(target, &Form1()) << place.name << " gives it to "
                                    << (target ? target->objectName().toStdString() : "nobody");
    }
}

} // namespace
} // namespace windowtest
