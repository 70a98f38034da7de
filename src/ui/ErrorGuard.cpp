#include "ui/ErrorGuard.h"

#include "platform/IoError.h"
#include "platform/NameDisplay.h"

#include <QApplication>
#include <QMessageBox>

namespace vantuke {

namespace {
std::function<void(QWidget*, const QString&)>& Handler() {
    static std::function<void(QWidget*, const QString&)> handler;
    return handler;
}
} // namespace

void SetErrorBoxHandler(std::function<void(QWidget* parent, const QString& text)> handler) {
    Handler() = std::move(handler);
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    const QString text = ErrorBoxText(NameForDisplay(message));
    if (Handler()) {
        Handler()(parent, text);
        return;
    }
    QMessageBox::critical(parent, QStringLiteral("Vantuke"), text);
}

bool RunGuarded(QWidget* parent, const std::function<void()>& action) {
    QString message;
    try {
        action();
        return true;
    } catch (const IoError& e) {
        message = e.Text();
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("Unexpected error");
    }
    // A wait cursor set by the failed action must not outlive it.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    ShowErrorBox(parent, message);
    return false;
}

} // namespace vantuke
