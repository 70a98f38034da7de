#include "platform/FileAccess.h"
#include "ui/ProgramWindows.h"

#include <QApplication>

int main(int argc, char** argv) {
    vantuke::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantuke"));
    vantuke::ProgramWindows windows;
    windows.Show();
    return QApplication::exec();
}
