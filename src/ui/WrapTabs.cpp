#include "ui/WrapTabs.h"

#include "ui/FlowLayout.h"

#include <QButtonGroup>
#include <QPainter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantuke {

namespace {

// A tab: a checkable button whose checked state is marked by a bar along its lower edge,
// so the shown page's tab stands out in every style.
class PageTab : public QToolButton {
public:
    explicit PageTab(QWidget* parent) : QToolButton(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (!isChecked())
            return;
        QPainter painter(this);
        const int thickness = 3;
        painter.fillRect(QRect(2, height() - thickness - 1, width() - 4, thickness),
                         palette().brush(QPalette::Highlight));
    }
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
    policies_.append(page->sizePolicy());
    const int index = stack_->addWidget(page);
    FitToPage(stack_->currentIndex());
    auto* tab = new PageTab(bar_);
    tab->setText(caption);
    tab->setCheckable(true);
    tab->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tab->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    tab->setFocusPolicy(Qt::StrongFocus);
    tab->setAccessibleName(caption);
    tab->setAccessibleDescription(tr("Tab"));
    group_->addButton(tab, index);
    flow_->addWidget(tab);
    if (index == 0)
        tab->setChecked(true);
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
    group_->button(index)->setChecked(true);
    if (index == stack_->currentIndex())
        return;
    stack_->setCurrentIndex(index);
    FitToPage(index);
    emit CurrentChanged(index);
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
