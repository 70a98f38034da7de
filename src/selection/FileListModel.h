#pragma once

#include "selection/FileList.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <vector>

namespace vantuke {

// The rows of the file list (ListView1): one row per file, ten read-only columns.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    // Replaces the rows with those of dir under the filter. An IoError from a tag read ends
    // the refill; the rows read before it are shown and the error propagates.
    void Refill(const QString& dir, int filterIndex);
    const FileListRow& Row(int row) const { return rows_[size_t(row)]; }
    // The code page the tag cells are read in; the cells show the change at once.
    void SetCodec(const TagCodec& codec);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<FileListRow> rows_;
    QLocale locale_;
    TagCodec codec_;
};

} // namespace vantuke
