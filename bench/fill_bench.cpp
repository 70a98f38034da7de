// Times the file list of step 1 filling for one folder, on the offscreen platform: the
// folder is read, every MP3 file's tag read, and the list drawn. Prints the milliseconds of
// one fill, after a first untimed one (the tree's own, when the folder is selected).
//
// Usage: vantuke-fill-bench FOLDER
#include "ui/FileSelectionPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 64;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QString parent = folder.left(folder.lastIndexOf(u'/', -2) + 1);

    using namespace vantuke;
    FileSelectionPage page([parent] {
        return QList<DirTreeRoot>{{parent, QStringLiteral("Bench"), RootKind::Home, false}};
    });
    page.resize(900, 650);
    page.show();
    page.DirTree()->SetDirectory(folder);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    page.FillFileList();
    QApplication::processEvents(); // draws the rows
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const int rows = page.findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount();
    std::printf("%.1f\n", ms);
    std::fprintf(stderr, "%d rows\n", rows);
    return rows > 0 ? 0 : 1;
}
