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
#include <QMimeData>

using namespace vantuke;

namespace windowtest {
namespace {

// A file manager's URL of a path: its bytes, percent-encoded.
QByteArray FileUrl(const QString& path) {
    return "file://" + NameToBytes(path).toPercentEncoding("/");
}

class DropTest : public WindowTest {
protected:
    DropTest() { Form1().show(); }
    ~DropTest() override { Form1().hide(); }

    // Drags the URL list over the window and lets it go, offering the actions with the last
    // one proposed, as a file manager does. Gives the action the window took; IgnoreAction
    // when it refused the drag.
    Qt::DropAction Drop(const QByteArray& urls,
                        Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), urls);
        const QPoint where = Form1().rect().center();
        QDragEnterEvent enter(where, offered, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(offered.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
        enter.ignore();
        QApplication::sendEvent(&Form1(), &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent drop(where, offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction(enter.dropAction());
        QApplication::sendEvent(&Form1(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    QStringList Entries() const { return Form1().FileSelection()->Selection().Entries(); }
    QString Path(const char* name) const { return FilesDir() + QLatin1String(name); }
};

// A Latin-1 name comes as its own bytes, a folder brings its MP3 files and those of its
// subfolders in the window's order, a playlist its entries; the drop is taken as a copy, so
// the file manager never deletes what it dragged, and the entries show on step 1. A drag that
// can only move, or that brings no local file, adds nothing.
TEST_F(DropTest, FilesFoldersAndPlaylistsGoIntoTheSelection) {
    const QString latin1 = testsupport::PathOfBytes(FilesDir(), "Caf\xE9.mp3");
    testsupport::WriteMp3(latin1, 100);
    testsupport::WriteMp3(testsupport::PathOfBytes(FilesDir(), "Caf\xEF\xBF\xBD.mp3"), 100);
    ASSERT_TRUE(QDir().mkpath(Path("Album/Disc 2")));
    for (const char* name : {"Album/b.mp3", "Album/A.mp3", "Album/Disc 2/c.mp3", "solo.mp3"})
        testsupport::WriteMp3(Path(name), 200);
    testsupport::WriteFile(Path("party.m3u"), "#EXTM3U\nAlbum/b.mp3\nsolo.mp3\n");
    Form1().Steps()->SetCurrentIndex(2);

    EXPECT_EQ(Drop("# dragged\r\n" + FileUrl(latin1) + "\r\n" + FileUrl(Path("Album/")) + "\r\n" +
                   FileUrl(Path("party.m3u")) + "\r\n"),
              Qt::CopyAction);
    EXPECT_EQ(Entries(), (QStringList{latin1, Path("Album/A.mp3"), Path("Album/b.mp3"),
                                      Path("Album/Disc 2/c.mp3"), Path("solo.mp3")}));
    EXPECT_EQ(Form1().Steps()->CurrentIndex(), 0);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(' ').toStdString();

    Form1().FileSelection()->SetSelectionEntries({});
    EXPECT_EQ(Drop(FileUrl(Path("solo.mp3")), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(Drop("http://radio.example/stream.mp3\r\nfile://nas/music/a.mp3\r\n"),
              Qt::IgnoreAction);
    EXPECT_TRUE(Entries().isEmpty());
}

// Wherever on the window a drag is let go, on the lists, the tree or a status box, it reaches
// the window: no control in the way takes it for itself.
TEST_F(DropTest, EveryPlaceOfTheStepsLetsTheDropThrough) {
    const std::pair<int, const char*> places[] = {
        {0, "DirTree1"}, {0, "ListView1"}, {0, "ListBox1"}, {1, "Memo2"}, {2, "Memo1"}};
    for (const auto& [step, name] : places) {
        Form1().Steps()->SetCurrentIndex(step);
        QApplication::processEvents();
        auto* control = Find<QWidget>(QLatin1String(name));
        // Qt hands a drag to the first widget under the pointer, or above it, that takes drops.
        QWidget* target = Form1().childAt(control->mapTo(&Form1(), control->rect().center()));
        while (target && target != &Form1() && !target->acceptDrops())
            target = target->parentWidget();
        EXPECT_EQ(target, &Form1()) << name;
    }
}

} // namespace
} // namespace windowtest
