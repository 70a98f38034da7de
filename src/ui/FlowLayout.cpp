#include "ui/FlowLayout.h"

#include <QWidget>
#include <algorithm>

namespace vantuke {

FlowLayout::FlowLayout(QWidget* parent) : QLayout(parent) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int FlowLayout::count() const {
    return int(items_.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const {
    return {};
}

bool FlowLayout::hasHeightForWidth() const {
    return true;
}

int FlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const {
    // As narrow as the widest single item; the height then follows from heightForWidth.
    QSize size;
    for (const QLayoutItem* item : items_)
        size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        const QSize hint = item->sizeHint();
        width += hint.width() + (width > 0 ? spacing() : 0);
        height = std::max(height, hint.height());
    }
    const QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool apply) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(0, spacing());

    // Split the visible items into rows.
    QList<QList<QLayoutItem*>> rows;
    int rowWidth = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const int w = item->sizeHint().width();
        if (rows.isEmpty() || (rowWidth > 0 && rowWidth + gap + w > area.width())) {
            rows.append(QList<QLayoutItem*>());
            rowWidth = 0;
        }
        rowWidth += (rowWidth > 0 ? gap : 0) + w;
        rows.last().append(item);
    }

    const bool justify = rows.size() > 1 || justifyOneRow_;
    int y = area.y();
    for (const QList<QLayoutItem*>& row : rows) {
        int used = 0;
        int rowHeight = 0;
        for (const QLayoutItem* item : row) {
            used += item->sizeHint().width();
            rowHeight = std::max(rowHeight, item->sizeHint().height());
        }
        used += gap * int(row.size() - 1);
        const int extra = justify ? std::max(0, area.width() - used) : 0;
        if (apply) {
            int x = area.x();
            for (int i = 0; i < row.size(); ++i) {
                // Spread the spare width evenly; the first items take the remainder.
                const int share = extra / int(row.size()) + (i < extra % row.size() ? 1 : 0);
                const int w = row[i]->sizeHint().width() + share;
                row[i]->setGeometry(QRect(x, y, w, rowHeight));
                x += w + gap;
            }
        }
        y += rowHeight + gap;
    }
    if (!rows.isEmpty())
        y -= gap;
    return y - rect.y() + contentsMargins().bottom();
}

} // namespace vantuke
