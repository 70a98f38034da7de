#pragma once

#include <QString>
#include <concepts>
#include <functional>

class QWidget;

namespace vantuke {

// Shows the program's error box: caption "Vantuke", error icon, OK, and the text with a
// full stop added when its last character sorts after "."; under it, as the box's detail
// text, the path of the file the error came from, when there is one and the text does not
// name it already.
void ShowErrorBox(QWidget* parent, const QString& message, const QString& path = QString());

// Runs one user action. An IoError (or any other exception) that escapes it ends the action
// and is shown in the error box, with the file the IoError names, so no exception ever
// reaches the Qt event loop. Returns false when the action ended with an error.
bool RunGuarded(QWidget* parent, const std::function<void()>& action);

// Tests replace the error box with a recorder of the box's text and detail (the path, empty
// when the box shows none); pass an empty function to restore the box.
using ErrorBoxHandler =
    std::function<void(QWidget* parent, const QString& text, const QString& path)>;
void SetErrorBoxHandler(ErrorBoxHandler handler);

// A recorder that looks at the text alone.
template <typename Handler>
requires std::invocable<Handler&, QWidget*, const QString&> &&
    (!std::invocable<Handler&, QWidget*, const QString&, const QString&>)void SetErrorBoxHandler(
        Handler handler) {
    SetErrorBoxHandler(ErrorBoxHandler(
        [handler = std::move(handler)](QWidget* parent, const QString& text,
                                       const QString&) mutable { handler(parent, text); }));
}

} // namespace vantuke
