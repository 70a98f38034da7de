#include "ui/ErrorGuard.h"

#include "platform/IoError.h"
#include "platform/NameDisplay.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <algorithm>

namespace vantuke {

namespace {
constexpr int kPathWidth = 480;

ErrorBoxHandler& Handler() {
    static ErrorBoxHandler handler;
    return handler;
}
} // namespace

void SetErrorBoxHandler(ErrorBoxHandler handler) {
    Handler() = std::move(handler);
}

void ShowErrorBox(QWidget* parent, const QString& message, const QString& path) {
    const QString text = ErrorBoxText(NameForDisplay(message));
    // "Unable to write to" and the like name the file themselves.
    const QString detail = message.contains(path) ? QString() : NameForDisplay(path);
    if (Handler()) {
        Handler()(parent, text, detail);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vantuke"), text, QMessageBox::Ok,
                    parent);
    // The path stands under the message where it is read at once: a detailed text would
    // hide it behind a "Show Details..." button.
    box.setInformativeText(detail);
    // A file name is shown as it is, never read as markup ("<b>" is a valid name).
    box.setTextFormat(Qt::PlainText);
    if (auto* under = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        under->setTextFormat(Qt::PlainText);
        // A path reads best on one line; a long one wraps at a comfortable width.
        under->setMinimumWidth(
            std::min(under->fontMetrics().horizontalAdvance(detail), kPathWidth));
    }
    box.exec();
}

bool RunGuarded(QWidget* parent, const std::function<void()>& action) {
    QString message;
    QString path;
    try {
        action();
        return true;
    } catch (const IoError& e) {
        message = e.Text();
        path = e.Path();
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("Unexpected error");
    }
    // A wait cursor set by the failed action must not outlive it.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    ShowErrorBox(parent, message, path);
    return false;
}

} // namespace vantuke
