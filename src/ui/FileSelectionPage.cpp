#include "ui/FileSelectionPage.h"

#include "platform/NameDisplay.h"
#include "selection/BusyScope.h"
#include "selection/FileListModel.h"
#include "selection/FolderFiles.h"
#include "selection/SelectedFilesModel.h"
#include "selection/WholeTextDelegate.h"
#include "ui/ErrorGuard.h"
#include "ui/Glyphs.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace vantuke {

namespace {

constexpr int kDirTreeWidth = 161;
constexpr int kSelectionMinHeight = 46;
// Until the user moves a splitter, the page divides itself: the tree takes a quarter of the
// width, at least 161 and at most 360 pixels, and never more than half; "Selected files to
// process:" three tenths of the height.
constexpr int kWidestAutoTree = 360;
constexpr int kTreeShare = 4;
constexpr int kSelectionTenths = 3;
// Room around a cell's text: the delegate's margins and the focus frame.
constexpr int kCellPadding = 14;

// Group frames inside a page that starts at 372 by 471 pixels: keep the margins small so
// the lists get the height.
void Compact(QLayout* layout) {
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
}

} // namespace

FileSelectionPage::FileSelectionPage(QWidget* parent)
    : FileSelectionPage(&SystemDirTreeRoots, parent) {}

FileSelectionPage::FileSelectionPage(TDirTree::RootProvider roots, QWidget* parent)
    : QWidget(parent), fileModel_(new FileListModel(this)),
      selectionModel_(new SelectedFilesModel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(BuildPresetsGroup());

    auto* upper = new QWidget;
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(2);
    upperLayout->addWidget(BuildFilesGroup(std::move(roots)), 1);
    upperLayout->addWidget(BuildButtonBar());

    pageSplitter_ = new QSplitter(Qt::Vertical);
    pageSplitter_->setObjectName(QStringLiteral("Splitter2"));
    pageSplitter_->setChildrenCollapsible(false);
    pageSplitter_->addWidget(upper);
    pageSplitter_->addWidget(BuildSelectionGroup());
    pageSplitter_->setStretchFactor(0, 1);
    pageSplitter_->setStretchFactor(1, 0);
    layout->addWidget(pageSplitter_, 1);
    // A splitter the user moves keeps its place from then on.
    connect(pageSplitter_, &QSplitter::splitterMoved, this, [this] { autoSelection_ = false; });

    connect(dirTree_, &TDirTree::OnChange, this, [this] { Guard([this] { FillFileList(); }); });
    // F5 reads the selected folder again wherever the focus is on the page.
    addAction(dirTree_->ReloadAction());
    // A right click selects the folder it is made on, so the menu's commands take that one.
    auto* addFolder = new QAction(QStringLiteral("Add folder with subfolders"), dirTree_);
    addFolder->setObjectName(QStringLiteral("AddFolderWithSubfolders"));
    dirTree_->addAction(addFolder);
    connect(addFolder, &QAction::triggered, this,
            [this] { Guard([this] { AddFolderWithSubfolders(); }); });
    connect(filter_, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { FillFileList(); }); });
    UpdateStatusLine();
}

QWidget* FileSelectionPage::BuildPresetsGroup() {
    auto* group = new QGroupBox(QStringLiteral("Directory presets:"));
    auto* row = new QHBoxLayout(group);
    Compact(row);
    presets_ = new QComboBox;
    presets_->setObjectName(QStringLiteral("ComboBox4"));
    presets_->setAccessibleName(QStringLiteral("Directory presets"));
    presets_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    presets_->setMinimumContentsLength(8);
    row->addWidget(presets_, 1);

    auto* add = MakeGlyphButton(Glyph::Add, QStringLiteral("Add the current folder to the presets"),
                                QStringLiteral("SpeedButton8"), group);
    auto* remove = MakeGlyphButton(Glyph::Remove, QStringLiteral("Remove the chosen preset"),
                                   QStringLiteral("SpeedButton9"), group);
    row->addWidget(add);
    row->addWidget(remove);

    connect(presets_, &QComboBox::activated, this,
            [this](int index) { Guard([this, index] { ChoosePreset(index); }); });
    connect(add, &QToolButton::clicked, this, [this] { Guard([this] { AddPreset(); }); });
    connect(remove, &QToolButton::clicked, this, [this] { Guard([this] { RemovePreset(); }); });
    return group;
}

QWidget* FileSelectionPage::BuildFilesGroup(TDirTree::RootProvider roots) {
    // "&&" shows one ampersand in a group title.
    auto* group = new QGroupBox(QStringLiteral("Directories&&Files:"));
    auto* layout = new QVBoxLayout(group);
    Compact(layout);

    dirTree_ = new TDirTree(std::move(roots));
    dirTree_->setObjectName(QStringLiteral("DirTree1"));
    dirTree_->setAccessibleName(QStringLiteral("Directories"));

    fileList_ = new QTreeView;
    fileList_->setObjectName(QStringLiteral("ListView1"));
    fileList_->setAccessibleName(QStringLiteral("Files"));
    fileList_->setModel(fileModel_);
    fileList_->setRootIsDecorated(false);
    fileList_->setItemsExpandable(false);
    fileList_->setUniformRowHeights(true);
    fileList_->setAllColumnsShowFocus(true);
    fileList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fileList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    fileList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileList_->header()->setSectionsMovable(false);
    fileList_->header()->setStretchLastSection(true);
    // The folder's own order until a header is clicked: no column is sorted at first.
    fileList_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    fileList_->setSortingEnabled(true);
    SizeColumnsForUsualValues();
    fileList_->setItemDelegate(new WholeTextDelegate(*fileList_, false));
    connect(fileList_, &QTreeView::doubleClicked, this,
            [this] { Guard([this] { AddSelectedFiles(); }); });

    auto* filterGroup = new QGroupBox(QStringLiteral("Filter:"));
    auto* filterLayout = new QHBoxLayout(filterGroup);
    Compact(filterLayout);
    filter_ = new QComboBox;
    filter_->setObjectName(QStringLiteral("FilterComboBox1"));
    filter_->setAccessibleName(QStringLiteral("Filter"));
    filter_->addItems(FilterCaptions());
    filter_->setCurrentIndex(0);
    filterLayout->addWidget(filter_);
    filterLayout->addStretch(1);

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(4);
    rightLayout->addWidget(fileList_, 1);
    rightLayout->addWidget(filterGroup);

    dirSplitter_ = new QSplitter(Qt::Horizontal);
    dirSplitter_->setObjectName(QStringLiteral("Splitter1"));
    dirSplitter_->setChildrenCollapsible(false);
    dirSplitter_->addWidget(dirTree_);
    dirSplitter_->addWidget(right);
    dirSplitter_->setStretchFactor(0, 0);
    dirSplitter_->setStretchFactor(1, 1);
    layout->addWidget(dirSplitter_);
    connect(dirSplitter_, &QSplitter::splitterMoved, this, [this] { autoTree_ = false; });
    return group;
}

QWidget* FileSelectionPage::BuildButtonBar() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    struct ButtonLook {
        const char* name;
        const char* caption;
        Glyph glyph;
        void (FileSelectionPage::*command)();
    };
    const ButtonLook looks[] = {
        {"SpeedButton12", "Add all", Glyph::AddAll, &FileSelectionPage::AddAllFiles},
        {"SpeedButton13", "Add", Glyph::AddChosen, &FileSelectionPage::AddSelectedFiles},
        {"SpeedButton14", "Remove", Glyph::RemoveChosen, &FileSelectionPage::RemoveSelectedFiles},
        {"SpeedButton15", "Remove All", Glyph::RemoveAll, &FileSelectionPage::RemoveAllFiles},
    };
    for (const ButtonLook& look : looks) {
        auto* button = MakeCaptionButton(look.glyph, QString::fromLatin1(look.caption),
                                         QString::fromLatin1(look.name), bar);
        const auto command = look.command;
        connect(button, &QToolButton::clicked, this,
                [this, command] { Guard([this, command] { (this->*command)(); }); });
        row->addWidget(button);
    }
    row->addStretch(1);
    return bar;
}

QWidget* FileSelectionPage::BuildSelectionGroup() {
    auto* group = new QGroupBox(QStringLiteral("Selected files to process:"));
    group->setMinimumHeight(kSelectionMinHeight);
    auto* layout = new QVBoxLayout(group);
    Compact(layout);
    layout->setSpacing(2);

    status_ = new QLabel(QStringLiteral("Status"));
    status_->setObjectName(QStringLiteral("Label4"));
    status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(status_);

    selectedList_ = new QListView;
    selectedList_->setObjectName(QStringLiteral("ListBox1"));
    selectedList_->setAccessibleName(QStringLiteral("Selected files to process"));
    selectedList_->setModel(selectionModel_);
    // Equal line heights let the view lay out 100,000 entries without measuring each one;
    // the lines are as wide as the longest entry, so the list scrolls sideways to its end.
    selectedList_->setUniformItemSizes(true);
    selectedList_->setItemDelegate(new WholeTextDelegate(*selectedList_, true));
    selectedList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    selectedList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    selectedList_->setMinimumHeight(0);
    connect(selectedList_, &QListView::doubleClicked, this,
            [this] { Guard([this] { RemoveSelectedFiles(); }); });
    // Delete and Ctrl+A while the list has the focus; both also in its menu.
    auto* remove = new QAction(QStringLiteral("Remove"), selectedList_);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, this,
            [this] { Guard([this] { RemoveSelectedFiles(); }); });
    auto* selectAll = new QAction(QStringLiteral("Select all"), selectedList_);
    selectAll->setShortcut(QKeySequence::SelectAll);
    selectAll->setShortcutContext(Qt::WidgetShortcut);
    connect(selectAll, &QAction::triggered, selectedList_, &QListView::selectAll);
    selectedList_->addActions({remove, selectAll});
    selectedList_->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(selectedList_, 1);
    return group;
}

void FileSelectionPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (sized_)
        return;
    // The splitters take their first sizes once the page has its own.
    sized_ = true;
    SizeSplitters(true);
}

void FileSelectionPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (sized_)
        SizeSplitters(false);
}

void FileSelectionPage::SizeSplitters(bool stored) {
    if (autoTree_ || stored) {
        const int width = dirSplitter_->width() - dirSplitter_->handleWidth();
        const int wanted = autoTree_
                               ? std::clamp(width / kTreeShare, kDirTreeWidth, kWidestAutoTree)
                               : storedTreeWidth_;
        const int tree = std::min(width / 2, wanted);
        dirSplitter_->setSizes({tree, width - tree});
    }
    if (autoSelection_ || stored) {
        // The splitter keeps what the files' group needs at least, should the stored height
        // leave too little.
        const int total = pageSplitter_->height() - pageSplitter_->handleWidth();
        const int lower =
            std::max(kSelectionMinHeight,
                     autoSelection_ ? total * kSelectionTenths / 10 : storedSelectionHeight_);
        pageSplitter_->setSizes({total - lower, lower});
    }
}

void FileSelectionPage::SizeColumnsForUsualValues() {
    QHeaderView* header = fileList_->header();
    const QFontMetrics cells = fileList_->fontMetrics();
    const QFontMetrics captions = header->fontMetrics();
    // The caption keeps room for the sort arrow beside it.
    const int captionRoom = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin) +
                            header->style()->pixelMetric(QStyle::PM_HeaderMarkSize);
    const QLocale locale = QLocale::system();
    for (int column = 0; column < kFileListColumnCount; ++column) {
        const int sample = cells.horizontalAdvance(FileListSample(column, locale)) + kCellPadding;
        const int caption = captions.horizontalAdvance(
                                QString::fromLatin1(FileListColumns[size_t(column)].caption)) +
                            captionRoom;
        header->resizeSection(column, std::max(sample, caption));
    }
}

void FileSelectionPage::SetLayout(const WindowLayout& layout) {
    storedTreeWidth_ = layout.treeWidth;
    storedSelectionHeight_ = layout.selectionHeight;
    autoTree_ = storedTreeWidth_ <= 0;
    autoSelection_ = storedSelectionHeight_ <= 0;
    if (sized_)
        SizeSplitters(true);
    QHeaderView* header = fileList_->header();
    for (const ColumnWidth& stored : layout.columns) {
        for (int column = 0; column < kFileListColumnCount; ++column) {
            if (stored.column == QLatin1String(FileListColumns[size_t(column)].caption))
                header->resizeSection(column, std::max(stored.width, header->minimumSectionSize()));
        }
    }
}

void FileSelectionPage::CollectLayout(WindowLayout& layout) const {
    // A size the page chose for itself is not kept: the next start divides its own window.
    layout.treeWidth = autoTree_ ? 0 : sized_ ? dirSplitter_->sizes().value(0) : storedTreeWidth_;
    layout.selectionHeight = autoSelection_ ? 0
                             : sized_       ? pageSplitter_->sizes().value(1)
                                            : storedSelectionHeight_;
    layout.columns.clear();
    for (int column = 0; column < kFileListColumnCount; ++column)
        layout.columns.append(ColumnWidth{QLatin1String(FileListColumns[size_t(column)].caption),
                                          fileList_->header()->sectionSize(column)});
}

void FileSelectionPage::Guard(const std::function<void()>& action) {
    RunGuarded(this, action);
}

void FileSelectionPage::FillFileList() {
    BusyScope busy(fileList_);
    fileModel_->Refill(dirTree_->GetDirectory(), filter_->currentIndex());
}

void FileSelectionPage::ChangeSelection(const std::function<void()>& change) {
    BusyScope busy(selectedList_);
    struct ShowAfterwards {
        FileSelectionPage* page;
        ~ShowAfterwards() { page->UpdateStatusLine(); }
    } show{this};
    change();
}

void FileSelectionPage::AddAllFiles() {
    QStringList names;
    names.reserve(fileModel_->rowCount());
    for (int row = 0; row < fileModel_->rowCount(); ++row)
        names << fileModel_->Row(row).name;
    const QString dir = dirTree_->GetDirectory();
    ChangeSelection([&] { selectionModel_->AddRows(dir, names, false); });
}

void FileSelectionPage::AddSelectedFiles() {
    QModelIndexList rows = fileList_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList names;
    for (const QModelIndex& index : std::as_const(rows))
        names << fileModel_->Row(index.row()).name;
    const QString dir = dirTree_->GetDirectory();
    ChangeSelection([&] { selectionModel_->AddRows(dir, names, true); });
}

void FileSelectionPage::RemoveSelectedFiles() {
    QList<int> rows;
    for (const QModelIndex& index : selectedList_->selectionModel()->selectedIndexes())
        rows << index.row();
    ChangeSelection([&] { selectionModel_->RemoveRows(rows); });
}

void FileSelectionPage::RemoveAllFiles() {
    ChangeSelection([&] { selectionModel_->Clear(); });
}

void FileSelectionPage::AddPaths(const QStringList& paths) {
    Guard([&] {
        ChangeSelection([&] { selectionModel_->AddRows(QString(), WithFolderFiles(paths), true); });
    });
}

void FileSelectionPage::AddFolderWithSubfolders() {
    const QString dir = dirTree_->GetDirectory();
    if (!dir.startsWith(u'/'))
        return;
    ChangeSelection([&] { selectionModel_->AddRows(QString(), Mp3FilesIn(dir, true), false); });
}

void FileSelectionPage::UpdateStatusLine() {
    status_->setText(Selection().StatusText());
}

void FileSelectionPage::SetTagCodec(const TagCodec& codec) {
    fileModel_->SetCodec(codec);
}

const SelectedFiles& FileSelectionPage::Selection() const {
    return selectionModel_->Files();
}

void FileSelectionPage::SetSelectionEntries(const QStringList& entries) {
    selectionModel_->SetEntries(entries);
}

void FileSelectionPage::KeepPlaylists(const QList<Playlist>& playlists) {
    for (const Playlist& playlist : playlists)
        selectionModel_->KeepPlaylist(playlist);
}

void FileSelectionPage::PlaylistsRestored(const QList<QPair<QString, QByteArray>>& playlists) {
    for (const auto& [path, bytes] : playlists)
        selectionModel_->PlaylistRestored(path, bytes);
}

// A directory preset shows its folder as a person reads it and keeps the exact path beside.
void FileSelectionPage::AddPresetEntry(const QString& dir) {
    presets_->addItem(NameForDisplay(dir), dir);
}

PresetList FileSelectionPage::DirPresets() const {
    PresetList presets;
    for (int i = 0; i < presets_->count(); ++i)
        presets.entries << presets_->itemData(i).toString();
    presets.active = presets_->currentIndex();
    return presets;
}

void FileSelectionPage::SetDirPresets(const PresetList& presets) {
    presets_->clear();
    for (const QString& dir : presets.entries)
        AddPresetEntry(dir);
    presets_->setCurrentIndex(presets.ActiveIndex());
}

void FileSelectionPage::AddPreset() {
    // The box would select a first entry by itself; the chosen preset stays as it was.
    const int active = presets_->currentIndex();
    AddPresetEntry(dirTree_->GetDirectory());
    presets_->setCurrentIndex(active);
    emit PresetsChanged();
}

void FileSelectionPage::RemovePreset() {
    if (const int active = presets_->currentIndex(); active >= 0)
        presets_->removeItem(active);
    presets_->setCurrentIndex(-1);
    emit PresetsChanged();
}

void FileSelectionPage::ChoosePreset(int index) {
    dirTree_->SetDirectory(presets_->itemData(index).toString());
}

} // namespace vantuke
