#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vantuke {

// Shows the program's error box: caption "Vantuke", error icon, OK, and the text with a
// full stop added when its last character sorts after ".".
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs one user action. An IoError (or any other exception) that escapes it ends the action
// and is shown in the error box, so no exception ever reaches the Qt event loop. Returns
// false when the action ended with an error.
bool RunGuarded(QWidget* parent, const std::function<void()>& action);

// Tests replace the error box with a recorder; pass an empty function to restore it.
void SetErrorBoxHandler(std::function<void(QWidget* parent, const QString& text)> handler);

} // namespace vantuke
