#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace vantuke {

// Draws the entries of a list whose texts may be longer than the list is wide, and lets each
// be read whole: an entry's text is its tooltip. With wideLines, every line is as wide as
// the widest entry, so a list that lays out equal lines (which keeps 100,000 entries fast)
// still scrolls sideways to the end of its longest one.
class WholeTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    WholeTextDelegate(QAbstractItemView& view, bool wideLines);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    int WidestText(const QFontMetrics& metrics) const;

    QAbstractItemView& view_;
    bool wideLines_;
    mutable int widest_ = -1; // measured once after each change of the entries
};

} // namespace vantuke
