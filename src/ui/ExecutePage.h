#pragma once

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vantuke {

// The page "Step3: Execute": the status box, its options and buttons, "EXECUTE!" with
// "Preview…" and "Undo last run" beside it, and the progress bar. The window connects the
// buttons.
class ExecutePage : public QWidget {
    Q_OBJECT
public:
    explicit ExecutePage(QWidget* parent = nullptr);

    QPlainTextEdit* StatusBox() const { return status_; }
    QCheckBox* ClearStatusBox() const { return clearStatus_; }
    QToolButton* OptionsButton() const { return options_; }
    QToolButton* SaveStatusButton() const { return saveStatus_; }
    QToolButton* AboutButton() const { return about_; }
    QPushButton* PreviewButton() const { return preview_; }
    QPushButton* UndoButton() const { return undo_; }
    QPushButton* ExecuteButton() const { return execute_; }
    QProgressBar* Progress() const { return progress_; }

private:
    QPlainTextEdit* status_;
    QCheckBox* clearStatus_;
    QToolButton* options_;
    QToolButton* saveStatus_;
    QToolButton* about_;
    QPushButton* preview_;
    QPushButton* undo_;
    QPushButton* execute_;
    QProgressBar* progress_;
};

} // namespace vantuke
