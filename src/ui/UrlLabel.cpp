#include "ui/UrlLabel.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QUrl>

namespace vantuke {

namespace {

void OpenWithDesktop(const QString& target) {
    // Opening returns at once; a link nothing can open is ignored.
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

std::function<void(const QString&)>& Opener() {
    static std::function<void(const QString&)> opener = OpenWithDesktop;
    return opener;
}

} // namespace

void TUrlLabel::SetOpener(std::function<void(const QString&)> opener) {
    Opener() = opener ? std::move(opener) : OpenWithDesktop;
}

TUrlLabel::TUrlLabel(QWidget* parent) : TUrlLabel(QString(), QString(), parent) {}

TUrlLabel::TUrlLabel(const QString& caption, const QString& url, QWidget* parent)
    : QLabel(caption, parent), url_(url), menu_(new QMenu(this)),
      copyItem_(menu_->addAction(QStringLiteral("Copy"))) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    SetFontColour(kLinkColour);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    connect(copyItem_, &QAction::triggered, this, &TUrlLabel::CopyCaption);
}

QString TUrlLabel::Target() const {
    const QString target = url_.trimmed().isEmpty() ? text() : url_;
    return target.trimmed().isEmpty() ? QString() : target;
}

void TUrlLabel::Click() {
    emit clicked();
    const QString target = Target();
    if (!target.isEmpty())
        Opener()(target);
}

QColor TUrlLabel::FontColour() const {
    return palette().color(QPalette::WindowText);
}

void TUrlLabel::SetFontColour(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour);
    setPalette(colours);
}

void TUrlLabel::CopyCaption() {
    QGuiApplication::clipboard()->setText(text());
}

void TUrlLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        savedColour_ = FontColour();
        pressed_ = true;
        SetFontColour(kActiveColour);
    }
    QLabel::mousePressEvent(event);
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        // The link stays purple while the desktop is being asked to open it.
        if (rect().contains(event->position().toPoint()))
            Click();
        SetFontColour(savedColour_);
    }
    QLabel::mouseReleaseEvent(event);
}

void TUrlLabel::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
    event->accept();
}

void TUrlLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Click();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void TUrlLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace vantuke
