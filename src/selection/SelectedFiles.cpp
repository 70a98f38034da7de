#include "selection/SelectedFiles.h"

#include "platform/Directory.h"
#include "platform/Locations.h"
#include "selection/Playlist.h"

#include <algorithm>

namespace vantuke {

bool SelectedFiles::IsInSelection(const QString& path) const {
    return counts_.contains(path);
}

bool SelectedFiles::Add(const QString& path) {
    // One look-up: a text already present has a count of at least one.
    int& count = counts_[path];
    if (count > 0) {
        return false;
    }
    count = 1;
    entries_.append(path);
    return true;
}

void SelectedFiles::AddRows(const QString& dir, const QStringList& names, bool expandPlaylists) {
    // Room for one entry per name, so that adding thousands of files grows the list and the
    // index once. Growth stays geometric when many small batches arrive one after another.
    const qsizetype needed = entries_.size() + names.size();
    if (needed > entries_.capacity()) {
        entries_.reserve(std::max(needed, 2 * entries_.capacity()));
    }
    counts_.reserve(needed);
    for (const QString& name : names) {
        const QString path = dir + name;
        const std::optional<PlaylistKind> kind =
            expandPlaylists ? PlaylistKindOf(name) : std::nullopt;
        if (!kind) {
            Add(path);
            continue;
        }
        if (const std::optional<Playlist> playlist = ReadPlaylist(path, *kind)) {
            for (const PlaylistEntry& entry : playlist->entries) {
                Add(entry.path);
            }
            KeepPlaylist(*playlist);
        }
    }
}

void SelectedFiles::KeepPlaylist(const Playlist& playlist) {
    const auto same = std::find_if(playlists_.begin(), playlists_.end(), [&](const Playlist& kept) {
        return kept.path == playlist.path;
    });
    if (same == playlists_.end()) {
        playlists_.append(playlist);
    } else {
        *same = playlist;
    }
}

void SelectedFiles::PlaylistRestored(const QString& path, const QByteArray& bytes) {
    for (Playlist& kept : playlists_) {
        if (kept.path == path) {
            kept.bytes = bytes;
            kept.entries = ParsePlaylist(kept.kind, bytes, kept.folder, NameExists);
        }
    }
}

void SelectedFiles::RemoveRows(const QList<int>& rows) {
    QList<bool> remove(entries_.size(), false);
    for (const int row : rows) {
        if (row >= 0 && row < entries_.size()) {
            remove[row] = true;
        }
    }
    QStringList kept;
    kept.reserve(entries_.size());
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (!remove[i]) {
            kept.append(entries_[i]);
        }
    }
    SetEntries(kept);
}

void SelectedFiles::RemoveRange(int first, int count) {
    first = std::clamp(first, 0, Count());
    count = std::clamp(count, 0, Count() - first);
    for (int i = first; i < first + count; ++i) {
        const auto held = counts_.find(entries_[i]);
        if (--held.value() == 0) {
            counts_.erase(held);
        }
    }
    entries_.remove(first, count);
}

void SelectedFiles::Clear() {
    entries_.clear();
    counts_.clear();
}

void SelectedFiles::ReplaceEntry(int i, const QString& text) {
    if (i < 0 || i >= entries_.size()) {
        return;
    }
    QString& entry = entries_[i];
    if (--counts_[entry] == 0) {
        counts_.remove(entry);
    }
    entry = text;
    ++counts_[entry];
}

void SelectedFiles::SetEntries(const QStringList& entries) {
    entries_ = entries;
    Reindex();
}

void SelectedFiles::Reindex() {
    counts_.clear();
    counts_.reserve(entries_.size());
    for (const QString& entry : entries_) {
        ++counts_[entry];
    }
}

QString SelectedFiles::StatusText() const {
    const QString workingDir = WorkingDir();
    qint64 total = 0;
    for (const QString& entry : entries_) {
        // One look-up per entry, nothing cached: the files may change between refreshes.
        const FileStatus status = StatusOf(entry.startsWith(u'/') ? entry : workingDir + entry);
        if (status.kind == FileKind::Regular) {
            total += status.size;
        }
    }
    return QStringLiteral("Status: ") + QString::number(entries_.size()) +
           QStringLiteral(" files selected (") + QString::number(total) + QStringLiteral(" bytes)");
}

} // namespace vantuke
