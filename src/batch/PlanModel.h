#pragma once

#include "batch/RunPlan.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace vantuke {

// A plan as a table, one row per item: the entry's number, its file, what becomes of it
// (the new name, which tag fields change from what to what, the tag removed) and its notes.
// Texts are made once, so that sorting and scrolling a long plan stay quick. Paths show as a
// person reads them (NameForDisplay); the full path is the file's tooltip.
class PlanModel final : public QAbstractTableModel {
public:
    enum Column { NumberColumn, FileColumn, ChangeColumn, NotesColumn, ColumnCount };
    enum Role {
        // bool: the row has notes (the entry where an I/O error ends the run included).
        HasNotesRole = Qt::UserRole + 1,
        // What the column sorts by: the number as a number, the texts as texts.
        SortRole,
    };

    explicit PlanModel(RunPlan plan, QObject* parent = nullptr);

    const RunPlan& Plan() const { return plan_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    RunPlan plan_;
    QStringList files_;
    QStringList changes_;
    QStringList notes_;
};

// What an entry does to its file, in words: "rename to NAME", the changed tag fields
// ("Artist: "A" → "B"; Year: "" → "1999", the texts read by codec), "new tag: ...", "remove
// the tag", "listed", "no change".
QString ChangeText(const PlanItem& item, const TagCodec& codec);

} // namespace vantuke
