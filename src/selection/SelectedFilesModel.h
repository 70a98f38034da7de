#pragma once

#include "selection/SelectedFiles.h"

#include <QAbstractListModel>

namespace vantuke {

// The selected-files list (ListBox1) as a list model. It holds the entries and changes them
// only through the functions below, each of which tells the views exactly which rows came,
// went or changed. A line shows its entry as NameForDisplay draws it.
class SelectedFilesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SelectedFilesModel(QObject* parent = nullptr);

    const SelectedFiles& Files() const { return files_; }
    // The playlists entries were taken from (SelectedFiles); the rows do not change.
    void KeepPlaylist(const Playlist& playlist) { files_.KeepPlaylist(playlist); }
    void PlaylistRestored(const QString& path, const QByteArray& bytes) {
        files_.PlaylistRestored(path, bytes);
    }

    // "Add all" and "Add" (SelectedFiles::AddRows). The entries added show as new rows, also
    // those added before a playlist failed to read; the IoError then propagates.
    void AddRows(const QString& dir, const QStringList& names, bool expandPlaylists);
    // Removes the entries at the given rows (any order; duplicates and bad rows ignored), a
    // run of neighbouring rows at a time. Rows in more runs than views handle quickly one by
    // one (a scattered selection of thousands) are shown anew as a whole instead.
    void RemoveRows(const QList<int>& rows);
    // "Clear List": the views start anew with an empty list.
    void Clear();
    // Replaces the entries (after a run renamed files). With as many entries as before, the
    // rows from the first to the last changed one are announced as changed; otherwise the
    // list is shown anew.
    void SetEntries(const QStringList& entries);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // Announces the entries added since the views last heard of the list.
    void ShowAddedRows();

    SelectedFiles files_;
    // The rows the views know of. Entries are added first and announced once they are in,
    // so the rows the views know keep their texts meanwhile.
    int shown_ = 0;
};

} // namespace vantuke
