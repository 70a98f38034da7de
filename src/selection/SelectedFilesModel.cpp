#include "selection/SelectedFilesModel.h"

#include "platform/NameDisplay.h"

#include <algorithm>

namespace vantuke {

namespace {

// Above this many runs of neighbouring rows a removal resets the views: each announced run
// costs a view time in proportion to its selection, so thousands of them would take longer
// than showing the list anew.
constexpr qsizetype kMostAnnouncedRuns = 64;

struct RowRun {
    int first;
    int last;
};

// The valid rows as runs of neighbours, the last run first.
QList<RowRun> RunsFromTheBottom(QList<int> rows, int count) {
    rows.removeIf([count](int row) { return row < 0 || row >= count; });
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<RowRun> runs;
    for (const int row : std::as_const(rows)) {
        if (!runs.isEmpty() && runs.last().first == row + 1)
            runs.last().first = row;
        else
            runs.append(RowRun{row, row});
    }
    return runs;
}

} // namespace

SelectedFilesModel::SelectedFilesModel(QObject* parent) : QAbstractListModel(parent) {}

void SelectedFilesModel::AddRows(const QString& dir, const QStringList& names,
                                 bool expandPlaylists) {
    struct ShowAfterwards {
        SelectedFilesModel& model;
        ~ShowAfterwards() { model.ShowAddedRows(); }
    } show{*this};
    files_.AddRows(dir, names, expandPlaylists);
}

void SelectedFilesModel::ShowAddedRows() {
    const int count = files_.Count();
    if (count <= shown_)
        return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

void SelectedFilesModel::RemoveRows(const QList<int>& rows) {
    const QList<RowRun> runs = RunsFromTheBottom(rows, shown_);
    if (runs.size() > kMostAnnouncedRuns) {
        beginResetModel();
        files_.RemoveRows(rows);
        shown_ = files_.Count();
        endResetModel();
        return;
    }
    for (const RowRun& run : runs) {
        beginRemoveRows({}, run.first, run.last);
        files_.RemoveRange(run.first, run.last - run.first + 1);
        shown_ -= run.last - run.first + 1;
        endRemoveRows();
    }
}

void SelectedFilesModel::Clear() {
    beginResetModel();
    files_.Clear();
    shown_ = 0;
    endResetModel();
}

void SelectedFilesModel::SetEntries(const QStringList& entries) {
    const QStringList& old = files_.Entries();
    if (entries.size() != shown_ || old.size() != shown_) {
        beginResetModel();
        files_.SetEntries(entries);
        shown_ = files_.Count();
        endResetModel();
        return;
    }
    int first = 0;
    while (first < shown_ && old[first] == entries[first])
        ++first;
    if (first == shown_)
        return;
    int last = shown_ - 1;
    while (old[last] == entries[last])
        --last;
    files_.SetEntries(entries);
    emit dataChanged(index(first), index(last));
}

int SelectedFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

QVariant SelectedFilesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return NameForDisplay(files_.Entries()[index.row()]);
}

} // namespace vantuke
