#include "ui/ProgramWindows.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantuke"));
    vantuke::ProgramWindows windows;
    windows.Show();
    return QApplication::exec();
}
