#pragma once

#include <QApplication>
#include <QWidget>

namespace vantuke {

// Shows the wait cursor and suspends a widget's repainting for one block of work, and
// restores both on every way out of it, an exception included.
class BusyScope {
public:
    explicit BusyScope(QWidget* widget) : widget_(widget), updates_(widget->updatesEnabled()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        widget_->setUpdatesEnabled(false);
    }
    ~BusyScope() {
        widget_->setUpdatesEnabled(updates_);
        // An error guard nested inside the block may have taken every cursor away already.
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget* widget_;
    bool updates_;
};

} // namespace vantuke
