#pragma once

#include <QString>

class QComboBox;
class QSplitter;
class QWidget;

namespace layoutcheck {

// Adds a test failure for every visible control of the window that sticks out of its parent
// or is smaller than its minimum size (a label or button whose text is cut, an edit or list
// that is squeezed).
void ExpectNothingClipped(QWidget& window);

// Saves the window as <name>.png into the folder named by VANTUKE_SCREENSHOT_DIR, when it is
// set, so the dialogs can be looked at as a user would see them.
void SaveScreenshot(QWidget& window, const QString& name);

// Drops the list of the box down and returns how many whole rows it shows (a failure and 0
// when it does not open), saving it as a screenshot when a name is given; the list is closed
// again.
int DroppedDownRows(QComboBox& box, const QString& screenshot = {});

// Drags the splitter's first handle by delta pixels (right or down when positive), as a user
// does with the mouse.
void DragSplitter(QSplitter* splitter, int delta);

} // namespace layoutcheck
