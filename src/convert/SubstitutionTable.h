#pragma once

#include "convert/Adjust.h"

#include <QAbstractTableModel>
#include <QList>

namespace vantuke {

// The rows of the "Adjust FileName" substitution table (StringGrid1) and the rules of its
// three buttons. Column 0 is "Number", 1 "Replace what:", 2 "with:". The table never has
// fewer than one row; a row's "Number" cell is written when "Add" fills the row and is not
// stored, so it stays where it is when texts move.
class SubstitutionTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNumber, kWhat, kWith, kColumnCount };

    explicit SubstitutionTable(QObject* parent = nullptr);

    QList<Substitution> Rows() const;
    // Settings load: one row per substitution (at least one), with empty "Number" cells.
    void SetRows(const QList<Substitution>& rows);

    // "Add": the empty table (one row, both texts empty) takes the row into its first row;
    // any other table gets a new last row. The row's number is its position, from 1. Returns
    // the row filled.
    int AddRow(const Substitution& row);
    // "Remove" of the given row (one before the first counts as the first): the texts below
    // it move up one row and the last row goes; the only row is emptied instead. Returns the
    // row that takes the removed row's place, or the last row.
    int RemoveRow(int row);
    // "Clear": one empty row, its number empty too.
    void Clear();
    // One row with both texts empty.
    bool IsEmpty() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        QString number;
        Substitution texts;
    };

    void RowsChanged(int first, int last, int firstColumn, int lastColumn);

    QList<Row> rows_;
};

} // namespace vantuke
