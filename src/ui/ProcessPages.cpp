#include "ui/ProcessPages.h"

#include "settings/BuiltInPresets.h"
#include "ui/AdjustPage.h"
#include "ui/FilenameTagPage.h"
#include "ui/Id3v2Page.h"
#include "ui/InfoGroup.h"
#include "ui/PresetBox.h"
#include "ui/TagPage.h"
#include "ui/WrapTabs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QScrollArea>
#include <QVBoxLayout>
#include <array>

namespace vantuke {

namespace {

// The page control is never laid out smaller than this, and the window's own minimum keeps
// room for it. The width is asked for, not forced: should the window manager give the window
// less room than it asks for, the tabs still wrap within the width there is instead of
// running out of the window.
constexpr QSize kMinimumPagesSize(267, 231);

// A page that needs more room than a small window or a large font leaves scrolls instead of
// being squeezed. When the page's own layout changes (another sub-method shown), the area
// asks its parent for the new room.
class PageScroller : public QScrollArea {
public:
    explicit PageScroller(QWidget* page) {
        setFrameShape(QFrame::NoFrame);
        // The page's own controls take the focus; the area scrolls to show them.
        setFocusPolicy(Qt::NoFocus);
        setWidgetResizable(true);
        setWidget(page);
        page->installEventFilter(this);
    }

    // The page's room as it is now (the scroll area would keep the first answer).
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget()->sizeHint() + QSize(frame, frame);
    }
    // The area is never narrower than the page, so the page scrolls sideways only for the
    // room a scroll bar for its height takes.
    QSize minimumSizeHint() const override {
        return {widget()->minimumSizeHint().width() + 2 * frameWidth(),
                QScrollArea::minimumSizeHint().height()};
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

QVBoxLayout* PageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    return layout;
}

} // namespace

ProcessPages::ProcessPages(QWidget* parent) : QWidget(parent), tabs_(new WrapTabs(this)) {
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    tabs_->setMinimumHeight(kMinimumPagesSize.height());

    filenameTag_ = new FilenameTagPage;
    tag_ = new TagPage;
    adjust_ = new AdjustPage;
    id3v2_ = new Id3v2Page;
    const std::array<QWidget*, kProcessCount> pages{
        MakeTagToFilenamePage(), filenameTag_, tag_,  MakeUnTagPage(),
        MakeListPage(),          adjust_,      id3v2_};
    for (int index = 0; index < kProcessCount; ++index) {
        pages[index]->setObjectName(QStringLiteral("TabSheet%1").arg(index + 1));
        tabs_->AddPage(new PageScroller(pages[index]), ProcessCaption(Process(index)));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs_);

    for (PresetBox* box : {tagToFilename_, list_, filenameTag_->NewStyleBox()})
        connect(box, &PresetBox::ListChanged, this, &ProcessPages::StoredListChanged);
    connect(adjust_, &AdjustPage::RowsChanged, this, &ProcessPages::StoredListChanged);
}

QWidget* ProcessPages::MakeTagToFilenamePage() {
    auto* page = new QWidget;
    tagToFilename_ = new PresetBox(QStringLiteral("Tag to filename convert string:"),
                                   QStringLiteral("ComboBox2"), QStringLiteral("SpeedButton6"),
                                   QStringLiteral("SpeedButton7"), kTagToFilenameInitialText, page);
    tagToFilename_->SetPresets(PresetList{BuiltInTagToFilenamePresets(), -1});

    QVBoxLayout* layout = PageLayout(page);
    layout->addWidget(tagToFilename_);
    layout->addWidget(MakeInfoGroup(TemplateInfoLines(), page));
    layout->addStretch(1);
    return page;
}

QWidget* ProcessPages::MakeUnTagPage() {
    auto* page = new QWidget;
    untagConfirmation_ =
        new QCheckBox(QStringLiteral("Display confirmation dialog for every file"), page);
    untagConfirmation_->setObjectName(QStringLiteral("CheckBox15"));
    QVBoxLayout* layout = PageLayout(page);
    layout->addWidget(untagConfirmation_);
    layout->addStretch(1);
    return page;
}

QWidget* ProcessPages::MakeListPage() {
    auto* page = new QWidget;
    list_ = new PresetBox(QStringLiteral("Tag to string convert:"), QStringLiteral("ComboBox3"),
                          QStringLiteral("SpeedButton4"), QStringLiteral("SpeedButton5"),
                          kListInitialText, page);
    list_->SetPresets(PresetList{BuiltInListPresets(), -1});
    listShowProcessing_ =
        new QCheckBox(QStringLiteral("Display \"Processing file ...\" message"), page);
    listShowProcessing_->setObjectName(QStringLiteral("CheckBox18"));

    QVBoxLayout* layout = PageLayout(page);
    layout->addWidget(list_);
    layout->addWidget(listShowProcessing_);
    layout->addWidget(MakeInfoGroup(TemplateInfoLines(), page));
    layout->addStretch(1);
    return page;
}

QSize ProcessPages::minimumSizeHint() const {
    return QWidget::minimumSizeHint().expandedTo(QSize(kMinimumPagesSize.width(), 0));
}

Process ProcessPages::CurrentProcess() const {
    return Process(tabs_->CurrentIndex());
}

void ProcessPages::CollectRunChoices(BatchOptions& options) const {
    options.process = CurrentProcess();
    options.tagToFilenameTemplate = tagToFilename_->Text();
    options.filenameToTag.oldStyle = filenameTag_->OldStyleChosen();
    options.filenameToTag.newStyleTemplate = filenameTag_->NewStyleBox()->Text();
    options.listTemplate = list_->Text();
}

} // namespace vantuke
