#include "platform/FileAccess.h"
#include "platform/Locations.h"
#include "platform/NameBytes.h"
#include "platform/StopSignals.h"
#include "ui/FileSelectionPage.h"
#include "ui/MainWindow.h"
#include "ui/ProgramWindows.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

namespace {

// Closes the program's windows as their close buttons would; the main window's close saves
// the settings. A run in progress cannot be left half-way, so the close waits for its end.
void CloseWhenIdle(vantuke::TForm1& window) {
    if (window.Running()) {
        QTimer::singleShot(100, &window, [&window] { CloseWhenIdle(window); });
        return;
    }
    QApplication::closeAllWindows();
}

// The FILEs of the command line (what Qt left of it), made absolute.
QStringList FileArguments(int argc, char** argv) {
    const QString cwd = vantuke::WorkingDir();
    QStringList paths;
    for (int i = 1; i < argc; ++i) {
        const QString path = vantuke::NameFromBytes(argv[i]);
        paths << (path.startsWith(u'/') ? path : cwd + path);
    }
    return paths;
}

} // namespace

int main(int argc, char** argv) {
    vantuke::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantuke"));
    // The desktop entry and icon the desktop shows for the window.
    QApplication::setDesktopFileName(QStringLiteral(VANTUKE_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VANTUKE_APP_ID)));

    vantuke::ProgramWindows windows;
    const vantuke::StopSignals stop([&windows] { CloseWhenIdle(windows.Main()); });
    if (argc > 1)
        windows.Main().FileSelection()->AddPaths(FileArguments(argc, argv));
    windows.Show();
    return QApplication::exec();
}
