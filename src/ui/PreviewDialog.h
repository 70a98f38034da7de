#pragma once

#include "batch/RunPlan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace vantuke {

class PlanModel;

// "Preview": what a run would do, before it runs. Where an I/O error would end the run (and
// the option that goes on past it), a summary line, and a table of the entries (number,
// file, what becomes of it, notes), rows with notes marked by a colour and an icon, sortable
// by any column, with a check box that shows only the rows with notes. Between them, when the
// run renames files that playlists list, a line per playlist: updated with its number of
// entries, or still naming the old paths.
// "Execute" closes the dialog accepted (the window then runs the batch as "EXECUTE!" does),
// "Close" (also Esc and Enter) rejected.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    // entryCount: how many entries the run was planned for (a run that ends early reaches
    // fewer).
    PreviewDialog(RunPlan plan, int entryCount, QWidget* parent = nullptr);
    ~PreviewDialog() override;

    // Where an I/O error would end the run, over the summary; hidden when none would.
    QLabel* Stop() const { return stop_; }
    QLabel* Summary() const { return summary_; }
    // Hidden when no playlist lists a renamed file.
    QLabel* Playlists() const { return playlists_; }
    QTableView* Table() const { return table_; }
    QCheckBox* NotesOnly() const { return notesOnly_; }
    QPushButton* ExecuteButton() const { return execute_; }
    QPushButton* CloseButton() const { return close_; }
    PlanModel* Model() const { return model_; }
    // The rows as the table shows them: sorted, filtered and marked.
    QSortFilterProxyModel* Rows() const { return rows_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PlanModel* model_;
    QSortFilterProxyModel* rows_;
    QLabel* stop_;
    QLabel* summary_;
    QLabel* playlists_;
    QTableView* table_;
    QCheckBox* notesOnly_;
    QPushButton* execute_;
    QPushButton* close_;
};

} // namespace vantuke
