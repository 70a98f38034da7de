#pragma once

#include "selection/SelectedFiles.h"
#include "selection/dirtree.h"
#include "settings/PresetList.h"
#include "tag/CodePage.h"
#include "settings/Settings.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QListView;
class QSplitter;
class QToolButton;
class QTreeView;

namespace vantuke {

class FileListModel;
class SelectedFilesModel;

// The page "Step1: Select files to process": the directory presets, the folder tree beside
// the file list with its filter, the four selection buttons and the selected-files list with
// its status line. Every user action on it runs inside the error guard.
class FileSelectionPage : public QWidget {
    Q_OBJECT
public:
    explicit FileSelectionPage(QWidget* parent = nullptr);
    // The tree's top-level nodes come from roots (tests point them at their own folders).
    explicit FileSelectionPage(TDirTree::RootProvider roots, QWidget* parent = nullptr);

    TDirTree* DirTree() const { return dirTree_; }
    // The list behind ListBox1; the batch run works on its entries.
    const SelectedFiles& Selection() const;
    // Replaces the entries (after a run renamed files) and shows them; the status line is
    // left as it is.
    void SetSelectionEntries(const QStringList& entries);
    // A run rewrote these playlists: they are kept as it left them.
    void KeepPlaylists(const QList<Playlist>& playlists);
    // An undo gave these playlists (path, bytes) their old bytes back.
    void PlaylistsRestored(const QList<QPair<QString, QByteArray>>& playlists);
    // Refills the file list for the tree's folder and the filter. May throw IoError; the
    // rows read before the failure stay.
    void FillFileList();
    // Adds files named from outside the window (the command line, a file manager's "Open
    // With" or a drop), each as "Add" adds a listed row: a playlist adds the files it lists,
    // a folder its MP3 files and those of its subfolders (WithFolderFiles).
    void AddPaths(const QStringList& paths);
    // The code page the file list reads the tags' texts in.
    void SetTagCodec(const TagCodec& codec);
    PresetList DirPresets() const;
    // Fills ComboBox4 (settings load). The tree does not move.
    void SetDirPresets(const PresetList& presets);
    // The tree's width, the height of "Selected files to process:" and the file list's
    // column widths, as stored; values of 0 and columns not named keep their first sizes.
    void SetLayout(const WindowLayout& layout);
    // Puts the page's sizes into layout: those shown, or those set while the page was
    // never shown; 0 for a splitter the user never moved.
    void CollectLayout(WindowLayout& layout) const;

signals:
    // A directory preset was added or removed: the window saves the settings.
    void PresetsChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* BuildPresetsGroup();
    QWidget* BuildFilesGroup(TDirTree::RootProvider roots);
    QWidget* BuildButtonBar();
    QWidget* BuildSelectionGroup();
    void Guard(const std::function<void()>& action);

    void AddAllFiles();
    void AddSelectedFiles();
    void RemoveSelectedFiles();
    void RemoveAllFiles();
    // Runs a change of the selection and shows the result, also when the change fails.
    void ChangeSelection(const std::function<void()>& change);
    void UpdateStatusLine();

    // "Add folder with subfolders" of the tree's menu: the selected folder's MP3 files and
    // those below it.
    void AddFolderWithSubfolders();
    // Widths that show a column's usual values and its caption.
    void SizeColumnsForUsualValues();
    // Divides the page as the user left it (stored, at the first show) or, where the user
    // has not, as the page does by itself.
    void SizeSplitters(bool stored);

    void AddPresetEntry(const QString& dir);
    void AddPreset();
    void RemovePreset();
    void ChoosePreset(int index);

    FileListModel* fileModel_;
    SelectedFilesModel* selectionModel_;
    bool sized_ = false;
    int storedTreeWidth_ = 0;
    int storedSelectionHeight_ = 0;
    bool autoTree_ = true;
    bool autoSelection_ = true;

    QComboBox* presets_ = nullptr;
    TDirTree* dirTree_ = nullptr;
    QTreeView* fileList_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLabel* status_ = nullptr;
    QListView* selectedList_ = nullptr;
    QSplitter* dirSplitter_ = nullptr;
    QSplitter* pageSplitter_ = nullptr;
};

} // namespace vantuke
