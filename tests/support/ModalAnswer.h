#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace modalanswer {

// Once the modal loop of `dialog` runs, checks that it is the active modal widget and runs
// `answer` on it. Should the dialog be missing or still open after the answer, the test fails
// and the dialog is rejected, so a broken test cannot hang.
void AnswerModal(QDialog& dialog, std::function<void(QDialog&)> answer);

// Clicks the push button with this caption, or fails the test when there is none.
void ClickButton(QWidget& window, const QString& caption);

} // namespace modalanswer
