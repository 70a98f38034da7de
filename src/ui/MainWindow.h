#pragma once

#include "batch/BatchOptions.h"
#include "selection/dirtree.h"
#include "settings/Settings.h"
#include "ui/WindowBatchHost.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QFileDialog;
class QPlainTextEdit;

namespace vantuke {

class CodePage;
class CodePageGuessDialog;
class ExecutePage;
class FileSelectionPage;
class ProcessPages;
class TForm2;
class TForm3;
class TForm4;
class WrapTabs;

// The main window: three steps on wrapping tabs (select files, select and set up a process,
// execute it while watching the status box), the short help of the chosen process, and the
// settings file, loaded once at start-up and saved when the window closes.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Shows the answer of a file dialog: the chosen path, or an empty text when cancelled.
    using FileDialogRunner = std::function<QString(QFileDialog& dialog)>;
    // Shows the code page guess: the page chosen, or null when cancelled.
    using GuessDialogRunner = std::function<const CodePage*(CodePageGuessDialog& dialog)>;

    explicit TForm1(QWidget* parent = nullptr);
    // The directory tree's top-level nodes come from roots (tests use their own folders).
    explicit TForm1(TDirTree::RootProvider roots, QWidget* parent = nullptr);
    ~TForm1() override;

    // The tag query dialog, About box and Options dialog, created after this window.
    void AttachDialogs(TForm2* query, TForm3* about, TForm4* options);

    // The file FindSettingsFile() chooses, unless set otherwise.
    QString SettingsPath() const { return settingsFile_.path; }
    void SetSettingsPath(const QString& path) { settingsFile_ = SettingsFile{path}; }
    // Reads the settings file into every stored control and lays the window out as it was;
    // never fails.
    void LoadSettings();
    // Writes every stored control into the settings file. Throws IoError.
    void SaveSettings();
    Settings CurrentSettings() const;
    // Where the window stands and how its step-1 page is divided: as shown now, or as
    // loaded while the window was never shown.
    WindowLayout CurrentLayout() const;
    // Shows the window where it stood when it was last closed, maximized if it was; centred
    // on the screen at its stored or designed size when that place is on no screen now.
    void ShowPlaced();
    // The options "EXECUTE!" runs with: those of the settings as the controls hold them, and
    // the process, sub-method and templates chosen now.
    BatchOptions CollectBatchOptions() const;

    // Fills "Short info:" for the current process.
    void ShowShortInfo();
    // "EXECUTE!": runs the current process over the selected files.
    void Execute();
    // "Preview" (Ctrl+P): a dry run of what "EXECUTE!" would do now, shown in the "Preview"
    // dialog, whose "Execute" then runs it.
    void Preview();
    // "Save status to txt".
    void SaveStatusBox();
    // "Undo last run": asks, then undoes the newest run of the history not undone yet.
    void UndoLastRun();
    // The Options dialog's "Guess…": guesses the code page of the selected files' tags and
    // shows the candidates; the one chosen goes into the dialog's code page list.
    void GuessCodePage();
    // Enables "Undo last run" when the history holds a run to undo.
    void UpdateUndoButton();
    QStringList StatusLines() const;

    void SetFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }
    void SetGuessDialogRunner(GuessDialogRunner runner) { guessDialogRunner_ = std::move(runner); }
    // How "Play mp3 when asking for TAG" starts the player.
    void SetMp3Player(WindowBatchHost::Player player) { mp3Player_ = std::move(player); }

    const QComboBox& GenreList() const;
    WrapTabs* Steps() const { return steps_; }
    FileSelectionPage* FileSelection() const { return files_; }
    ProcessPages* Processes() const { return processes_; }
    QPlainTextEdit* ShortInfoBox() const { return shortInfo_; }
    bool Running() const { return running_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Files, folders and playlists dragged from a file manager go into "Selected files to
    // process:" as "Add" puts them there; the files themselves are never moved.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* MakeProcessStep();
    void ConnectControls();
    void AppendStatusLine(const QString& line);
    void ClearStatusIfAsked();
    void ProcessChanged();
    void SubMethodChanged(int index);
    void StepChanged(int index);
    void SaveSettingsGuarded();
    void ApplyLayout(const WindowLayout& layout);
    void KeepMinimumSize();
    void RunBatch();
    // Runs an action that changes files: one at a time, the window taking no input meanwhile.
    void RunBlocked(const std::function<void()>& action);

    WrapTabs* steps_;
    FileSelectionPage* files_;
    ProcessPages* processes_ = nullptr;
    QPlainTextEdit* shortInfo_ = nullptr;
    ExecutePage* execute_;
    TForm2* query_ = nullptr;
    TForm3* about_ = nullptr;
    TForm4* options_ = nullptr;
    SettingsFile settingsFile_;
    WindowLayout storedLayout_;
    bool placed_ = false;
    bool running_ = false;
    FileDialogRunner fileDialogRunner_;
    GuessDialogRunner guessDialogRunner_;
    WindowBatchHost::Player mp3Player_;
};

} // namespace vantuke
