#include "selection/FileListModel.h"

namespace vantuke {

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent), locale_(QLocale::system()) {}

void FileListModel::Refill(const QString& dir, int filterIndex) {
    beginResetModel();
    rows_.clear();
    try {
        ReadFileList(dir, filterIndex, rows_);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void FileListModel::SetCodec(const TagCodec& codec) {
    if (codec.page == codec_.page)
        return;
    codec_ = codec;
    if (!rows_.empty())
        emit dataChanged(index(0, kColSongName), index(rowCount() - 1, kFileListColumnCount - 1),
                         {Qt::DisplayRole});
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileListColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return FileListCell(rows_[size_t(index.row())], index.column(), locale_, codec_);
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kFileListColumnCount)
        return {};
    return QString::fromLatin1(FileListColumns[size_t(section)].caption);
}

} // namespace vantuke
