#include "selection/FileListModel.h"

namespace vantuke {

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent), locale_(QLocale::system()) {}

void FileListModel::Refill(const QString& dir, int filterIndex) {
    beginResetModel();
    rows_.clear();
    struct ShowAfterwards {
        FileListModel& model;
        ~ShowAfterwards() {
            model.Reorder();
            model.endResetModel();
        }
    } show{*this};
    ReadFileList(dir, filterIndex, rows_);
}

void FileListModel::Reorder() {
    order_ = SortedRows(rows_, sortColumn_, sortOrder_, locale_, codec_);
}

void FileListModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column >= 0 && column < kFileListColumnCount ? column : -1;
    sortOrder_ = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> filesBefore;
    filesBefore.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        filesBefore.push_back(order_[size_t(index.row())]);
    Reorder();
    std::vector<int> lineOf(order_.size());
    for (size_t line = 0; line < order_.size(); ++line)
        lineOf[size_t(order_[line])] = int(line);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(lineOf[size_t(filesBefore[size_t(i)])], before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::SetCodec(const TagCodec& codec) {
    if (codec.page == codec_.page)
        return;
    codec_ = codec;
    if (sortColumn_ >= 0) {
        sort(sortColumn_, sortOrder_); // texts read anew may sort otherwise
        return;
    }
    if (!rows_.empty())
        emit dataChanged(index(0, kColFirstField), index(rowCount() - 1, kFileListColumnCount - 1),
                         {Qt::DisplayRole});
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(order_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileListColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return FileListCell(Row(index.row()), index.column(), locale_, codec_);
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kFileListColumnCount)
        return {};
    return QString::fromLatin1(FileListColumns[size_t(section)].caption);
}

} // namespace vantuke
