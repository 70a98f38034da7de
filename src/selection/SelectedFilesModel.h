#pragma once

#include "selection/SelectedFiles.h"

#include <QAbstractListModel>

namespace vantuke {

// Shows the entries of a SelectedFiles list (ListBox1), one line each, as NameForDisplay
// draws them.
class SelectedFilesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SelectedFilesModel(const SelectedFiles& files, QObject* parent = nullptr);

    // Call after the list changed.
    void Refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const SelectedFiles& files_;
};

} // namespace vantuke
