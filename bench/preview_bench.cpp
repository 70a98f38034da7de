// Times "Preview" in the window on the offscreen platform: from the press of the button to
// the dialog painted, over a selection of tagged MP3 files (10,000 unless a count is given),
// with the dry run and the dialog apart. Prints one line per figure.
#include "BenchTools.h"

#include "batch/RecordBatch.h"
#include "ui/FileSelectionPage.h"
#include "ui/MainWindow.h"
#include "ui/PreviewDialog.h"
#include "ui/ProcessPages.h"
#include "ui/ProgramWindows.h"
#include "ui/WrapTabs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {

using benchtools::Report;

QByteArray TaggedMp3(int n) {
    // Every tenth pair of files has one tag, so that its second file's name is taken.
    return QByteArray(2048, '\x55') +
           benchtools::Id3v1Tag("Song " + QByteArray::number(n % 10 == 1 ? n - 1 : n), "", n % 148);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;

    QTemporaryDir temp;
    const QString music = temp.path() + QStringLiteral("/music/");
    QDir().mkpath(music);
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        const QString path = music + QStringLiteral("Track %1.mp3").arg(i, 6, 10, QLatin1Char('0'));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(TaggedMp3(i));
        entries << path;
    }

    using namespace vantuke;
    ProgramWindows windows(temp.path() + QStringLiteral("/Vantuke.Ini"));
    TForm1& window = windows.Main();
    window.FileSelection()->SetSelectionEntries(entries);
    window.Processes()->Tabs()->SetCurrentIndex(int(Process::TagToFilename));
    window.show();
    QApplication::processEvents();
    std::printf("\"Preview\" of TAG>Filename, offscreen, %d tagged MP3 files\n", count);

    // The parts: the dry run, then the dialog made and painted.
    QStringList copy = entries;
    BatchOptions options;
    options.process = Process::TagToFilename;
    MutedHost quiet;
    RunPlan plan;
    QElapsedTimer timer;
    timer.start();
    RecordBatch(RunKind::Dry, copy, options, quiet, plan);
    Report("the dry run (engine only)", double(timer.nsecsElapsed()) / 1e6);
    timer.restart();
    {
        PreviewDialog dialog(std::move(plan), count, &window);
        dialog.show();
        dialog.grab();
        Report("the dialog made and painted", double(timer.nsecsElapsed()) / 1e6);
    }

    // The whole: from the button to the dialog painted, then closed.
    double whole = -1;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<PreviewDialog*>(QApplication::activeModalWidget())) {
            dialog->grab();
            whole = double(timer.nsecsElapsed()) / 1e6;
            dialog->reject();
        }
    });
    timer.restart();
    window.findChild<QToolButton*>(QStringLiteral("PreviewButton"))->click();
    Report("\"Preview\" pressed to the dialog painted", whole);
    return whole < 0 ? 1 : 0;
}
