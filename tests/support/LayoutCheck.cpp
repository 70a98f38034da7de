#include "support/LayoutCheck.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace layoutcheck {

namespace {

QString Describe(const QWidget& widget) {
    return QStringLiteral("%1 (%2)").arg(widget.objectName(),
                                         QString::fromLatin1(widget.metaObject()->className()));
}

// The smallest size a layout gives the widget: an explicit minimum wins over the hint.
QSize SmallestSize(const QWidget& widget) {
    const QSize hint = widget.minimumSizeHint();
    return {widget.minimumWidth() > 0 ? widget.minimumWidth() : hint.width(),
            widget.minimumHeight() > 0 ? widget.minimumHeight() : hint.height()};
}

// Room a push button needs for its caption and glyph: the style's own minimum of 80 pixels
// is a matter of looks, not of reading.
int CaptionWidth(const QPushButton& button) {
    QString caption = button.text();
    caption.remove(QLatin1Char('&'));
    const int glyph = button.icon().isNull() ? 0 : button.iconSize().width() + 4;
    return button.fontMetrics().horizontalAdvance(caption) + glyph + 8;
}

// Labels and buttons show a caption that must fit whole; other controls must keep at least
// their minimum height.
void CheckSize(const QWidget& widget) {
    const std::string name = Describe(widget).toStdString();
    const auto* label = qobject_cast<const QLabel*>(&widget);
    if (label && label->wordWrap()) {
        EXPECT_LE(label->heightForWidth(label->width()), label->height())
            << name << " wraps into more lines than it can show";
        return;
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        EXPECT_LE(CaptionWidth(*button), button->width()) << name << " cuts its caption";
    } else if (label || qobject_cast<const QAbstractButton*>(&widget)) {
        EXPECT_LE(widget.sizeHint().width(), widget.width()) << name << " cuts its caption";
    }
    const QSize smallest = SmallestSize(widget);
    if (smallest.height() > 0) {
        EXPECT_LE(smallest.height(), widget.height()) << name << " is squeezed";
    }
}

} // namespace

void ExpectNothingClipped(QWidget& window) {
    window.ensurePolished();
    if (QLayout* layout = window.layout())
        layout->activate();
    const auto children = window.findChildren<QWidget*>();
    for (QWidget* child : children) {
        // Qt's own parts of a control (scroll bar containers, a table's headers and the like)
        // are its business.
        if (child->isWindow() || !child->isVisibleTo(&window) ||
            child->objectName().startsWith(QLatin1String("qt_")) ||
            qobject_cast<const QHeaderView*>(child) || qobject_cast<const QScrollBar*>(child))
            continue;
        const QWidget* parent = child->parentWidget();
        EXPECT_TRUE(parent->rect().contains(child->geometry()))
            << Describe(*child).toStdString() << " sticks out of "
            << Describe(*parent).toStdString();
        CheckSize(*child);
    }
}

void SaveScreenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("VANTUKE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    EXPECT_TRUE(window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

int DroppedDownRows(QComboBox& box, const QString& screenshot) {
    box.showPopup();
    QAbstractItemView* list = box.view();
    const int rowHeight = list->sizeHintForRow(0);
    int rows = 0;
    if (!list->isVisible() || rowHeight <= 0)
        ADD_FAILURE() << "the list of " << box.objectName().toStdString() << " does not drop down";
    else
        rows = list->viewport()->height() / rowHeight;
    if (!screenshot.isEmpty())
        SaveScreenshot(*list->window(), screenshot);
    box.hidePopup();
    return rows;
}

void DragSplitter(QSplitter* splitter, int delta) {
    QSplitterHandle* handle = splitter->handle(1);
    const QPoint from = handle->rect().center();
    const QPoint to =
        from + (splitter->orientation() == Qt::Horizontal ? QPoint(delta, 0) : QPoint(0, delta));
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QTest::mouseMove(handle, to);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, to);
}

} // namespace layoutcheck
