#pragma once

#include "selection/FileList.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <vector>

namespace vantuke {

// The rows of the file list (ListView1): one row per file, ten read-only columns. The rows
// stand in the folder's order (ReadFileList) until the list is sorted by a column; a sort
// holds for later refills until it is undone with column -1.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    // Replaces the rows with those of dir under the filter. An IoError from a tag read ends
    // the refill; the rows read before it are shown and the error propagates.
    void Refill(const QString& dir, int filterIndex);
    // The file shown on a line of the list.
    const FileListRow& Row(int row) const { return rows_[size_t(order_[size_t(row)])]; }
    // The code page the tag cells are read in; the cells show the change at once.
    void SetCodec(const TagCodec& codec);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Sorts the lines by the column (SortedRows); column -1 puts them back in the folder's
    // order. Highlighted lines stay highlighted.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void Reorder();

    std::vector<FileListRow> rows_; // in the folder's order
    std::vector<int> order_;        // for each line, its position in rows_
    QLocale locale_;
    TagCodec codec_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace vantuke
