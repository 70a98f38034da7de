#include "selection/WholeTextDelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace vantuke {

namespace {
// How many of the widest texts by estimate are measured whole.
constexpr ptrdiff_t kMeasured = 32;
} // namespace

WholeTextDelegate::WholeTextDelegate(QAbstractItemView& view, bool wideLines)
    : QStyledItemDelegate(&view), view_(view), wideLines_(wideLines) {
    // Any change of the entries may change the widest one.
    const QAbstractItemModel* model = view.model();
    const auto forget = [this] { widest_ = -1; };
    connect(model, &QAbstractItemModel::modelReset, this, forget);
    connect(model, &QAbstractItemModel::rowsInserted, this, forget);
    connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(model, &QAbstractItemModel::dataChanged, this, forget);
}

QSize WholeTextDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (!wideLines_)
        return size;
    // The padding around the text is the style's; only the text's width changes.
    const int padding =
        size.width() - option.fontMetrics.horizontalAdvance(index.data().toString());
    size.setWidth(std::max(size.width(), WidestText(option.fontMetrics) + padding));
    return size;
}

int WholeTextDelegate::WidestText(const QFontMetrics& metrics) const {
    if (widest_ >= 0)
        return widest_;
    // Measuring 100,000 texts one by one takes most of a second. The sum of the characters'
    // own widths is the text's width but for kerning: it finds the few widest texts, and
    // only those are measured whole.
    const QAbstractItemModel& model = *view_.model();
    std::vector<int> advances(0x10000, -1);
    std::vector<std::pair<int, int>> estimates; // width, row
    estimates.reserve(size_t(model.rowCount()));
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString text = model.index(row, 0).data().toString();
        int width = 0;
        for (const QChar c : text) {
            int& advance = advances[c.unicode()];
            if (advance < 0)
                advance = metrics.horizontalAdvance(c);
            width += advance;
        }
        estimates.emplace_back(width, row);
    }
    const auto measured =
        estimates.begin() + std::min<ptrdiff_t>(kMeasured, ptrdiff_t(estimates.size()));
    std::partial_sort(estimates.begin(), measured, estimates.end(), std::greater<>());
    widest_ = estimates.empty() ? 0 : estimates.front().first;
    for (auto it = estimates.begin(); it != measured; ++it) {
        widest_ = std::max(widest_,
                           metrics.horizontalAdvance(model.index(it->second, 0).data().toString()));
    }
    return widest_;
}

bool WholeTextDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        const QString text = index.data().toString();
        if (!text.isEmpty()) {
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace vantuke
