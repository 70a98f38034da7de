#pragma once

#include "convert/Adjust.h"

#include <QList>
#include <QWidget>

class QLineEdit;
class QTableView;

namespace vantuke {

class SubstitutionTable;

// The "Adjust FileName" page: the substitution table and the fields and buttons that
// change its rows. Cells are never edited in place.
class AdjustPage : public QWidget {
    Q_OBJECT
public:
    explicit AdjustPage(QWidget* parent = nullptr);

    QTableView* Table() const { return table_; }
    SubstitutionTable* Model() const { return model_; }

    QList<Substitution> Rows() const;
    // Settings load: one row per substitution (at least one), with empty "Number" cells.
    void SetRows(const QList<Substitution>& rows);

    // The three buttons.
    void AddRow();
    void RemoveRow();
    void ClearTable();

signals:
    // After add and remove (the window saves the settings); clear does not signal.
    void RowsChanged();

private:
    // Makes the row current, the "Replace what:" cell focused.
    void SetCurrentRow(int row);

    SubstitutionTable* model_;
    QTableView* table_;
    QLineEdit* what_;
    QLineEdit* with_;
};

} // namespace vantuke
