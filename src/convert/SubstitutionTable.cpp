#include "convert/SubstitutionTable.h"

#include <algorithm>

namespace vantuke {

SubstitutionTable::SubstitutionTable(QObject* parent) : QAbstractTableModel(parent), rows_(1) {}

QList<Substitution> SubstitutionTable::Rows() const {
    QList<Substitution> rows;
    rows.reserve(rows_.size());
    for (const Row& row : rows_)
        rows.append(row.texts);
    return rows;
}

void SubstitutionTable::SetRows(const QList<Substitution>& rows) {
    beginResetModel();
    rows_.clear();
    for (const Substitution& texts : rows)
        rows_.append(Row{QString(), texts});
    if (rows_.isEmpty())
        rows_.append(Row{});
    endResetModel();
}

int SubstitutionTable::AddRow(const Substitution& texts) {
    if (IsEmpty()) {
        rows_[0] = Row{QStringLiteral("1"), texts};
        RowsChanged(0, 0, kNumber, kWith);
        return 0;
    }
    const int row = int(rows_.size());
    beginInsertRows({}, row, row);
    rows_.append(Row{QString::number(row + 1), texts});
    endInsertRows();
    return row;
}

int SubstitutionTable::RemoveRow(int row) {
    const int last = int(rows_.size()) - 1;
    row = std::clamp(row, 0, last);
    for (int below = row; below < last; ++below)
        rows_[below].texts = rows_[below + 1].texts;
    if (last == 0) {
        rows_[0].texts = Substitution{};
        RowsChanged(0, 0, kWhat, kWith);
        return 0;
    }
    if (row < last)
        RowsChanged(row, last - 1, kWhat, kWith);
    beginRemoveRows({}, last, last);
    rows_.removeLast();
    endRemoveRows();
    return std::min(row, last - 1);
}

void SubstitutionTable::Clear() {
    if (rows_.size() > 1) {
        beginRemoveRows({}, 1, int(rows_.size()) - 1);
        rows_.resize(1);
        endRemoveRows();
    }
    rows_[0] = Row{};
    RowsChanged(0, 0, kNumber, kWith);
}

bool SubstitutionTable::IsEmpty() const {
    return rows_.size() == 1 && rows_[0].texts.what.isEmpty() && rows_[0].texts.with.isEmpty();
}

int SubstitutionTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int SubstitutionTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SubstitutionTable::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row& row = rows_[index.row()];
    switch (index.column()) {
    case kNumber:
        return row.number;
    case kWhat:
        return row.texts.what;
    default:
        return row.texts.with;
    }
}

QVariant SubstitutionTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case kNumber:
        return QStringLiteral("Number");
    case kWhat:
        return QStringLiteral("Replace what:");
    case kWith:
        return QStringLiteral("with:");
    default:
        return {};
    }
}

void SubstitutionTable::RowsChanged(int first, int last, int firstColumn, int lastColumn) {
    emit dataChanged(index(first, firstColumn), index(last, lastColumn), {Qt::DisplayRole});
}

} // namespace vantuke
