// Times the step-1 page on the offscreen platform: listing a folder of tagged MP3 files,
// sorting it by a column, "Add all", "Remove All", the status line of a large selection, opening a
// folder with many subfolders in the tree, and "Add" of large playlists. Prints one line per
// figure.
#include "BenchTools.h"

#include "selection/FileList.h"
#include "ui/FileSelectionPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolButton>
#include <QTreeView>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

using benchtools::Report;

constexpr int kFiles = 10000;
constexpr int kSelection = 100000;
constexpr int kSubfolders = 5000;
constexpr int kPlaylistEntries = 80000;

QByteArray TaggedMp3(int n) {
    return QByteArray(2048, '\x55') +
           benchtools::Id3v1Tag("Song " + QByteArray::number(n), "Comment", n % 148);
}

double Milliseconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir temp;
    const QString root = temp.path() + u'/';
    const QString music = root + QStringLiteral("music/");
    const QString many = root + QStringLiteral("many/");
    QDir().mkpath(music);
    QDir().mkpath(many);
    for (int i = 0; i < kFiles; ++i) {
        QFile file(music + QStringLiteral("Track %1.mp3").arg(i, 5, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write(TaggedMp3(i));
    }
    for (int i = 0; i < kSubfolders; ++i)
        QDir().mkpath(many + QStringLiteral("folder %1/inner").arg(i));

    using namespace vantuke;
    const auto roots = [root] {
        return QList<DirTreeRoot>{{root, QStringLiteral("Bench"), RootKind::Home, false}};
    };
    FileSelectionPage page(roots);
    page.resize(900, 650);
    page.show();
    auto* list = page.findChild<QTreeView*>(QStringLiteral("ListView1"));
    const auto click = [&](const char* name) {
        page.findChild<QToolButton*>(QString::fromLatin1(name))->click();
    };

    std::printf("step-1 page, offscreen, %d tagged MP3 files\n", kFiles);
    Report("select the folder in the tree (reads and lists it)",
           Milliseconds([&] { page.DirTree()->SetDirectory(music); }));
    Report("refill the file list", Milliseconds([&] { page.FillFileList(); }));
    if (list->model()->rowCount() != kFiles)
        std::printf("unexpected row count %d\n", list->model()->rowCount());
    Report("sort by a text column (\"SongName\")",
           Milliseconds([&] { list->sortByColumn(kColSongName, Qt::AscendingOrder); }));
    Report("sort by a number column (\"Filesize\"), descending",
           Milliseconds([&] { list->sortByColumn(kColFilesize, Qt::DescendingOrder); }));
    Report("refill the sorted file list", Milliseconds([&] { page.FillFileList(); }));
    list->sortByColumn(-1, Qt::AscendingOrder);
    Report("\"Add all\" (empty selection)", Milliseconds([&] { click("SpeedButton12"); }));
    Report("\"Remove All\"", Milliseconds([&] { click("SpeedButton15"); }));

    QStringList entries;
    entries.reserve(kSelection);
    for (int i = 0; i < kSelection; ++i)
        entries << music + QStringLiteral("Track %1.mp3").arg(i, 5, 10, QLatin1Char('0'));
    char line[96];
    std::snprintf(line, sizeof line, "show %d entries in the selected-files list", kSelection);
    Report(line, Milliseconds([&] {
               page.SetSelectionEntries(entries);
               QApplication::processEvents(); // lays the list out
           }));
    std::snprintf(line, sizeof line, "status line of %d entries (%d files exist), first",
                  kSelection, kFiles);
    Report(line, Milliseconds([&] { page.Selection().StatusText(); }));
    Report("status line again", Milliseconds([&] { page.Selection().StatusText(); }));
    std::snprintf(line, sizeof line, "\"Add all\" onto %d entries (all present already)",
                  kSelection);
    Report(line, Milliseconds([&] { click("SpeedButton12"); }));
    std::snprintf(line, sizeof line, "\"Remove All\" of %d entries", kSelection);
    Report(line, Milliseconds([&] { click("SpeedButton15"); }));

    // The same entries as an M3U and as a PLS written by a player (File, Title, Length).
    QByteArray m3u = "#EXTM3U\r\n";
    QByteArray pls = "[playlist]\r\n";
    for (int i = 1; i <= kPlaylistEntries; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray path = QFile::encodeName(music) + "Track " + n + ".mp3";
        m3u += "#EXTINF:215,Artist - Song " + n + "\r\n" + path + "\r\n";
        pls += "File" + n + "=" + path + "\r\nTitle" + n + "=Artist - Song " + n + "\r\nLength" +
               n + "=215\r\n";
    }
    pls += "NumberOfEntries=" + QByteArray::number(kPlaylistEntries) + "\r\nVersion=2\r\n";
    for (const auto& [name, content] : {std::pair{"big.m3u", &m3u}, std::pair{"big.pls", &pls}}) {
        QFile file(root + QString::fromLatin1(name));
        file.open(QIODevice::WriteOnly);
        file.write(*content);
    }
    for (const char* name : {"big.m3u", "big.pls"}) {
        click("SpeedButton15");
        std::snprintf(line, sizeof line, "\"Add\" of %s, %d entries, and the status line", name,
                      kPlaylistEntries);
        Report(line, Milliseconds([&] { page.AddPaths({root + QString::fromLatin1(name)}); }));
        if (page.Selection().Count() != kPlaylistEntries)
            std::printf("unexpected entry count %d\n", page.Selection().Count());
    }

    std::snprintf(line, sizeof line, "tree: select a folder with %d subfolders", kSubfolders);
    Report(line, Milliseconds([&] { page.DirTree()->SetDirectory(many); }));
    std::snprintf(line, sizeof line, "tree: expand it (reads %d grandchildren levels)",
                  kSubfolders);
    Report(line, Milliseconds([&] { page.DirTree()->currentItem()->setExpanded(true); }));
    return 0;
}
