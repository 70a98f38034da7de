#include "ui/WrapTabs.h"

#include "ui/FlowLayout.h"

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

namespace vantuke {

namespace {

// A tab: a checkable button whose checked state is marked by a bar along its lower edge,
// so the shown page's tab stands out in every style. The arrow keys show the page before
// or after, as on a tab bar.
class PageTab : public QToolButton {
public:
    PageTab(QWidget* parent, std::function<void(int)> move)
        : QToolButton(parent), move_(std::move(move)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            move_(-1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            move_(1);
            break;
        default:
            QToolButton::keyPressEvent(event);
        }
    }
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (!isChecked())
            return;
        QPainter painter(this);
        const int thickness = 3;
        painter.fillRect(QRect(2, height() - thickness - 1, width() - 4, thickness),
                         palette().brush(QPalette::Highlight));
    }

private:
    std::function<void(int)> move_;
};

} // namespace

WrapTabs::WrapTabs(QWidget* parent)
    : QWidget(parent), bar_(new QWidget(this)), flow_(new FlowLayout(bar_)),
      group_(new QButtonGroup(this)), stack_(new QStackedWidget(this)) {
    flow_->setContentsMargins(0, 0, 0, 0);
    flow_->setSpacing(2);
    group_->setExclusive(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(bar_);
    layout->addWidget(stack_, 1);

    connect(group_, &QButtonGroup::idClicked, this, &WrapTabs::SetCurrentIndex);
}

int WrapTabs::AddPage(QWidget* page, const QString& caption) {
    // The tab is made before its page joins the window, so Tab reaches the tab first and
    // then the page's controls, as they are read.
    auto* tab = new PageTab(bar_, [this](int offset) {
        const int next = CurrentIndex() + offset;
        if (next >= 0 && next < Count())
            SetCurrentIndex(next);
    });
    tab->setText(caption);
    tab->setCheckable(true);
    tab->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tab->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    tab->setAccessibleName(caption);
    tab->setAccessibleDescription(tr("Tab"));
    policies_.append(page->sizePolicy());
    const int index = stack_->addWidget(page);
    FitToPage(stack_->currentIndex());
    group_->addButton(tab, index);
    flow_->addWidget(tab);
    if (index == 0)
        tab->setChecked(true);
    UpdateTabStops();
    return index;
}

int WrapTabs::Count() const {
    return stack_->count();
}

int WrapTabs::CurrentIndex() const {
    return stack_->currentIndex();
}

void WrapTabs::SetCurrentIndex(int index) {
    if (index < 0 || index >= Count())
        return;
    QAbstractButton* tab = group_->button(index);
    tab->setChecked(true);
    UpdateTabStops();
    // Moved by the keyboard from another tab, the focus goes with the shown tab.
    if (bar_->isAncestorOf(QApplication::focusWidget()))
        tab->setFocus(Qt::TabFocusReason);
    if (index == stack_->currentIndex())
        return;
    stack_->setCurrentIndex(index);
    FitToPage(index);
    emit CurrentChanged(index);
}

void WrapTabs::ShowNeighbour(int offset) {
    if (Count() > 0)
        SetCurrentIndex(((CurrentIndex() + offset) % Count() + Count()) % Count());
}

void WrapTabs::UpdateTabStops() {
    // Like a tab bar, the bar is one stop for Tab: the shown page's tab. The arrow keys move
    // along the tabs, and a click still focuses any of them.
    const QList<QAbstractButton*> tabs = group_->buttons();
    for (QAbstractButton* tab : tabs)
        tab->setFocusPolicy(tab->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void WrapTabs::FitToPage(int index) {
    // A stack asks for the room of its largest page; hidden pages with an ignored size
    // leave it to ask for the shown page's room only, so the space below a short page
    // goes to whatever stands under the page control.
    for (int i = 0; i < stack_->count(); ++i) {
        stack_->widget(i)->setSizePolicy(
            i == index ? policies_.at(i) : QSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored));
    }
    stack_->updateGeometry();
}

QString WrapTabs::Caption(int index) const {
    const QAbstractButton* tab = TabButton(index);
    return tab ? tab->text() : QString();
}

QAbstractButton* WrapTabs::TabButton(int index) const {
    return group_->button(index);
}

QWidget* WrapTabs::Page(int index) const {
    return stack_->widget(index);
}

} // namespace vantuke
