#include "ui/Glyphs.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>

namespace vantuke {

namespace {

// A 16x16 plus, minus or cross in a solid colour.
QIcon DrawnIcon(Glyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = glyph == Glyph::Add ? QColor(0, 128, 0) : QColor(192, 0, 0);
    painter.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    switch (glyph) {
    case Glyph::Add:
        painter.drawLine(QPointF(8, 3), QPointF(8, 13));
        painter.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Remove:
        painter.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    default:
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    return QIcon(pixmap);
}

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

} // namespace

QIcon GlyphIcon(Glyph glyph) {
    switch (glyph) {
    case Glyph::Add:
        return QIcon::fromTheme(QStringLiteral("list-add"), DrawnIcon(glyph));
    case Glyph::Remove:
        return QIcon::fromTheme(QStringLiteral("list-remove"), DrawnIcon(glyph));
    case Glyph::Clear:
        return QIcon::fromTheme(QStringLiteral("edit-clear"), DrawnIcon(glyph));
    case Glyph::Options:
        return QIcon::fromTheme(QStringLiteral("preferences-system"),
                                StandardIcon(QStyle::SP_FileDialogDetailedView));
    case Glyph::SaveText:
        return QIcon::fromTheme(QStringLiteral("document-save"),
                                StandardIcon(QStyle::SP_DialogSaveButton));
    case Glyph::About:
        return QIcon::fromTheme(QStringLiteral("help-about"),
                                StandardIcon(QStyle::SP_MessageBoxInformation));
    case Glyph::Preview:
        return QIcon::fromTheme(QStringLiteral("document-print-preview"),
                                StandardIcon(QStyle::SP_FileDialogContentsView));
    case Glyph::Undo:
        return QIcon::fromTheme(QStringLiteral("edit-undo"), StandardIcon(QStyle::SP_ArrowBack));
    case Glyph::AddAll:
        return QIcon::fromTheme(QStringLiteral("go-bottom"), StandardIcon(QStyle::SP_ArrowDown));
    case Glyph::AddChosen:
        return QIcon::fromTheme(QStringLiteral("go-down"), StandardIcon(QStyle::SP_ArrowDown));
    case Glyph::RemoveChosen:
        return QIcon::fromTheme(QStringLiteral("go-up"), StandardIcon(QStyle::SP_ArrowUp));
    case Glyph::RemoveAll:
        return QIcon::fromTheme(QStringLiteral("edit-clear"),
                                StandardIcon(QStyle::SP_DialogResetButton));
    }
    return {};
}

QToolButton* MakeGlyphButton(Glyph glyph, const QString& hint, const QString& objectName,
                             QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QToolButton* MakeCaptionButton(Glyph glyph, const QString& caption, const QString& objectName,
                               QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setIcon(GlyphIcon(glyph));
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

} // namespace vantuke
