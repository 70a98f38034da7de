#include "WindowFixture.h"

#include "selection/DirTreeRoots.h"
#include "ui/ErrorGuard.h"
#include "ui/MainWindow.h"

#include <QApplication>

namespace windowtest {

WindowTest::WindowTest()
    : settingsFile_(folder_.Path(QStringLiteral("Vantuke.Ini"))),
      savedStateHome_(qgetenv("XDG_STATE_HOME")) {
    // Each test starts with an undo history of its own, empty.
    qputenv("XDG_STATE_HOME", folder_.Path(QStringLiteral("state")).toLocal8Bit());
    // Closing a window in a test must not end the test program's event handling.
    QApplication::setQuitOnLastWindowClosed(false);
    vantuke::SetErrorBoxHandler([this](QWidget*, const QString& text) { errors_.append(text); });
    Start();
}

WindowTest::~WindowTest() {
    windows_.reset();
    vantuke::SetErrorBoxHandler({});
    qputenv("XDG_STATE_HOME", savedStateHome_);
}

void WindowTest::Start() {
    windows_.reset();
    const QString root = files_.Dir();
    windows_ = std::make_unique<vantuke::ProgramWindows>(settingsFile_, [root] {
        return QList<vantuke::DirTreeRoot>{
            vantuke::DirTreeRoot{root, QStringLiteral("Home"), vantuke::RootKind::Home, false}};
    });
}

bool WindowTest::Close() {
    return Form1().close();
}

vantuke::TForm1& WindowTest::Form1() const {
    return windows_->Main();
}

} // namespace windowtest
