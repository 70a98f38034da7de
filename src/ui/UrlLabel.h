#pragma once

#include <QColor>
#include <QLabel>
#include <functional>

class QAction;
class QMenu;

namespace vantuke {

// A label that looks like a hyperlink and hands its target to the desktop when clicked:
// blue and underlined with a hand pointer, purple while the left button is held on it, and a
// "Copy" context menu that puts the caption on the clipboard. It also takes the keyboard
// focus, so Enter or Space opens the link without a mouse.
class TUrlLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE SetURL)

public:
    explicit TUrlLabel(QWidget* parent = nullptr);
    explicit TUrlLabel(const QString& caption, const QString& url = QString(),
                       QWidget* parent = nullptr);

    QString URL() const { return url_; }
    void SetURL(const QString& url) { url_ = url; }

    // What a click hands to the desktop: the URL when it is not blank, otherwise the caption;
    // empty when both are blank. The text is returned as it stands, blanks included.
    QString Target() const;

    // Runs what a click over the label runs: the clicked() signal, then the opener.
    void Click();

    QMenu* PopupMenu() const { return menu_; }
    QAction* CopyItem() const { return copyItem_; }

    static inline const QColor kLinkColour{0, 0, 255};
    static inline const QColor kActiveColour{128, 0, 128};

    // Replaces how a target is opened (tests record it); an empty function restores the
    // default, QDesktopServices::openUrl on QUrl::fromUserInput, whose result is ignored.
    static void SetOpener(std::function<void(const QString&)> opener);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FontColour() const;
    void SetFontColour(const QColor& colour);
    void CopyCaption();

    QString url_;
    QColor savedColour_;
    bool pressed_ = false;
    QMenu* menu_;
    QAction* copyItem_;
};

} // namespace vantuke
