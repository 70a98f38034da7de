#include "selection/SelectedFilesModel.h"

#include "platform/NameDisplay.h"

namespace vantuke {

SelectedFilesModel::SelectedFilesModel(const SelectedFiles& files, QObject* parent)
    : QAbstractListModel(parent), files_(files) {}

void SelectedFilesModel::Refresh() {
    beginResetModel();
    endResetModel();
}

int SelectedFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : files_.Count();
}

QVariant SelectedFilesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= files_.Count())
        return {};
    return NameForDisplay(files_.Entries()[index.row()]);
}

} // namespace vantuke
