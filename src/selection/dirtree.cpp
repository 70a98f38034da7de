#include "selection/dirtree.h"

#include "platform/Directory.h"
#include "platform/Locations.h"
#include "platform/NameDisplay.h"
#include "selection/BusyScope.h"
#include "selection/NameOrder.h"

#include <QAction>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSet>
#include <QStyle>

namespace vantuke {

namespace {

// Children without a key that only give a top-level node its expand button.
const QString kUnexamined = QStringLiteral("u**"); // a volume not looked at yet
const QString kHasFolders = QStringLiteral(" ");   // holds at least one folder to show

constexpr int kKeyRole = Qt::UserRole;

QTreeWidgetItem* NewPlaceholder(const QString& text) {
    return new QTreeWidgetItem(QStringList{text});
}

bool HasUnexaminedPlaceholder(const QTreeWidgetItem* node) {
    const QTreeWidgetItem* first = node->child(0);
    return first && !first->data(0, kKeyRole).isValid() && first->text(0) == kUnexamined;
}

// A closed folder normally, an open one while the node is selected.
QIcon FolderIcon(const QFileIconProvider& provider, const QStyle* style) {
    const QIcon closed = provider.icon(QFileIconProvider::Folder);
    const QIcon open = QIcon::fromTheme(QStringLiteral("folder-open"),
                                        style->standardIcon(QStyle::SP_DirOpenIcon));
    QIcon icon;
    for (const int size : {16, 22, 32}) {
        icon.addPixmap(closed.pixmap(size), QIcon::Normal);
        icon.addPixmap(open.pixmap(size), QIcon::Selected);
    }
    return icon;
}

// A volume counts as ready when it can be read and holds something.
bool DriveReady(const QString& path) {
    bool holdsSomething = false;
    ReadDirectory(path, EntryDetail::KindOnly, [&](const DirEntry&) {
        holdsSomething = true;
        return false;
    });
    return holdsSomething;
}

} // namespace

TDirTree::TDirTree(QWidget* parent) : TDirTree(&SystemDirTreeRoots, parent) {}

TDirTree::TDirTree(RootProvider roots, QWidget* parent)
    : QTreeWidget(parent), roots_(std::move(roots)), startDir_(WorkingDir()) {
    setColumnCount(1);
    setHeaderHidden(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformRowHeights(true);

    const QFileIconProvider provider;
    folderIcon_ = FolderIcon(provider, style());
    homeIcon_ = QIcon::fromTheme(QStringLiteral("user-home"),
                                 style()->standardIcon(QStyle::SP_DirHomeIcon));
    fileSystemIcon_ =
        QIcon::fromTheme(QStringLiteral("drive-harddisk"), provider.icon(QFileIconProvider::Drive));
    volumeIcon_ = QIcon::fromTheme(QStringLiteral("drive-removable-media"),
                                   provider.icon(QFileIconProvider::Drive));

    connect(this, &QTreeWidget::itemExpanded, this, &TDirTree::NodeExpanded);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TDirTree::SelectionChanged);

    reload_ = new QAction(tr("Reload"), this);
    reload_->setShortcut(QKeySequence(Qt::Key_F5));
    reload_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(reload_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(reload_, &QAction::triggered, this, &TDirTree::ReloadSelected);
}

TDirTree::~TDirTree() {
    // The items die after this object's own members: no selection change may reach them.
    ready_ = false;
    blockSignals(true);
}

void TDirTree::showEvent(QShowEvent* event) {
    EnsureCreated();
    QTreeWidget::showEvent(event);
}

void TDirTree::keyPressEvent(QKeyEvent* event) {
    // "*" would expand every folder below the node, read as it goes: the whole disk, and
    // without end through a symbolic link that points back up the tree.
    if (event->key() == Qt::Key_Asterisk) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TDirTree::EnsureCreated() {
    if (created_)
        return;
    created_ = true;
    if (readOnStart_)
        ReadDrives();
}

void TDirTree::SetDirType(tDirType type) {
    if (type == dirType_)
        return;
    dirType_ = type;
    Reload();
}

void TDirTree::SetAllowNetwork(bool allow) {
    if (allow == allowNetwork_)
        return;
    allowNetwork_ = allow;
    Reload();
}

bool TDirTree::Admitted(const QString& path) const {
    bool doAdd = true;
    if (onAddDir_)
        onAddDir_(path, doAdd);
    return doAdd;
}

bool TDirTree::IncludeDir(const QString& name) const {
    if (dirType_ & dtAll)
        return true;
    const bool hidden = name.startsWith(u'.');
    if (hidden && !(dirType_ & dtHidden))
        return false;
    return (dirType_ & dtNormal) || hidden;
}

QStringList TDirTree::AcceptableSubdirs(const QString& path, bool firstOnly) const {
    QStringList names;
    // Symbolic links to folders are listed like folders; reading only one level ahead keeps
    // a link that points back up the tree from being followed on its own.
    ReadDirectory(path, EntryDetail::KindOnly, [&](const DirEntry& entry) {
        if (entry.status.kind != FileKind::Folder || !Admitted(path + entry.name + u'/') ||
            !IncludeDir(entry.name))
            return true;
        names << entry.name;
        return !firstOnly;
    });
    return names;
}

QTreeWidgetItem* TDirTree::NewNode(const QString& path, const QString& caption, const QIcon& icon) {
    auto* node = new QTreeWidgetItem(QStringList{caption});
    node->setIcon(0, icon);
    const int key = int(nodeKeys_.size());
    node->setData(0, kKeyRole, key);
    nodeKeys_ << u'u' + path;
    nodes_.push_back(node);
    keysByPath_.insert(path, key);
    return node;
}

void TDirTree::ReadDrives() {
    if (!created_)
        return;
    BusyScope busy(this);
    ready_ = false;
    clear();
    nodeKeys_.clear();
    nodes_.clear();
    keysByPath_.clear();

    for (const DirTreeRoot& root : roots_()) {
        if (root.network && !allowNetwork_)
            continue;
        if (!Admitted(root.path))
            continue;
        const QIcon& icon = root.kind == RootKind::Home         ? homeIcon_
                            : root.kind == RootKind::FileSystem ? fileSystemIcon_
                                                                : volumeIcon_;
        QTreeWidgetItem* node = NewNode(root.path, root.caption, icon);
        addTopLevelItem(node);
        if (root.kind == RootKind::Volume)
            node->addChild(NewPlaceholder(kUnexamined));
        else
            ProbeSubdirs(node);
    }
    ready_ = true;
}

void TDirTree::ProbeSubdirs(QTreeWidgetItem* node) {
    const int key = KeyIndex(node);
    if (nodeKeys_[key].startsWith(u'i'))
        return;
    if (!AcceptableSubdirs(NodePath(node), true).isEmpty())
        node->addChild(NewPlaceholder(kHasFolders));
}

void TDirTree::ReadChildren(QTreeWidgetItem* node) {
    const int key = KeyIndex(node);
    if (key < 0 || nodeKeys_[key].startsWith(u'i'))
        return;
    const QString path = NodePath(node);
    const bool available = !HasUnexaminedPlaceholder(node) || DriveReady(path);

    // An unread node holds at most a placeholder, which has no key.
    qDeleteAll(node->takeChildren());
    nodeKeys_[key][0] = u'i';
    if (!available)
        return;

    QStringList names = AcceptableSubdirs(path, false);
    SortNames(names);
    QList<QTreeWidgetItem*> children;
    children.reserve(names.size());
    for (const QString& name : std::as_const(names))
        children << NewNode(path + name + u'/', NameForDisplay(name), folderIcon_);
    // One insertion for all: adding them one by one would re-lay the open view each time.
    node->addChildren(children);
}

void TDirTree::ReadGrandchildren(QTreeWidgetItem* node) {
    for (int i = 0; i < node->childCount(); ++i)
        ReadChildren(node->child(i));
}

void TDirTree::NodeExpanded(QTreeWidgetItem* node) {
    BusyScope busy(this);
    ReadChildren(node);
    ReadGrandchildren(node);
}

void TDirTree::SelectionChanged() {
    if (!ready_)
        return;
    if (QTreeWidgetItem* node = SelectedNode(); node && KeyIndex(node) >= 0) {
        const QTreeWidgetItem* root = node;
        while (root->parent())
            root = root->parent();
        lastPaths_.insert(NodePath(root), NodePath(node));
    }
    emit OnChange();
}

int TDirTree::KeyIndex(const QTreeWidgetItem* node) const {
    if (!node)
        return -1;
    bool ok = false;
    const int key = node->data(0, kKeyRole).toInt(&ok);
    return ok && key >= 0 && key < nodeKeys_.size() ? key : -1;
}

QString TDirTree::NodePath(const QTreeWidgetItem* node) const {
    return nodeKeys_[KeyIndex(node)].mid(1);
}

QTreeWidgetItem* TDirTree::SelectedNode() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QStringList TDirTree::RootPaths() const {
    QStringList paths;
    for (int i = 0; i < topLevelItemCount(); ++i)
        paths << NodePath(topLevelItem(i));
    return paths;
}

QTreeWidgetItem* TDirTree::FindNode(const QTreeWidgetItem* parent, const QString& path) const {
    const auto [first, last] = keysByPath_.equal_range(path);
    for (auto it = first; it != last; ++it) {
        if (nodes_[*it]->parent() == parent)
            return nodes_[*it];
    }
    return nullptr;
}

QString TDirTree::GetDirectory() const {
    const QTreeWidgetItem* node = SelectedNode();
    return KeyIndex(node) >= 0 ? NodePath(node) : QStringLiteral("?");
}

void TDirTree::SetDirectory(const QString& directory) {
    QString path = directory;
    if (!path.isEmpty() && !path.endsWith(u'/'))
        path += u'/';
    if (path == GetDirectory())
        return;
    if (!path.startsWith(u'/') || !IsFolder(path))
        return;
    EnsureCreated();

    BusyScope busy(this);
    const QStringList rootPaths = RootPaths();
    const int root = OwningRoot(rootPaths, path);
    if (root < 0)
        return;
    QTreeWidgetItem* node = topLevelItem(root);
    ReadChildren(node);
    for (qsizetype pos = rootPaths[root].size(); pos < path.size();) {
        const qsizetype slash = path.indexOf(u'/', pos);
        node = FindNode(node, path.left(slash + 1));
        if (!node)
            return;
        ReadChildren(node);
        pos = slash + 1;
    }

    // Open the way down first, reading as any expansion does, so the buttons are right
    // when the selection change is announced.
    QList<QTreeWidgetItem*> ancestors;
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        ancestors.prepend(up);
    for (QTreeWidgetItem* ancestor : std::as_const(ancestors))
        expandItem(ancestor);
    setCurrentItem(node);
    scrollToItem(node, QAbstractItemView::PositionAtTop);
}

QString TDirTree::LastPath(const QString& rootPath) const {
    if (const auto it = lastPaths_.constFind(rootPath); it != lastPaths_.cend())
        return *it;
    const QStringList rootPaths = RootPaths();
    const int owner = OwningRoot(rootPaths, startDir_);
    return owner >= 0 && rootPaths[owner] == rootPath ? startDir_ : rootPath;
}

void TDirTree::Reload() {
    const QString remembered = GetDirectory();
    ReadDrives();
    if (topLevelItemCount() == 0)
        return;
    SetDirectory(remembered);
    if (!SelectedNode()) {
        const QStringList rootPaths = RootPaths();
        if (const int root = OwningRoot(rootPaths, remembered); root >= 0)
            SetDirectory(rootPaths[root]);
    }
    if (!SelectedNode()) {
        // Pass over volumes nobody has looked at yet; take the last node if all are such.
        int i = 0;
        while (i + 1 < topLevelItemCount() && HasUnexaminedPlaceholder(topLevelItem(i)))
            ++i;
        QTreeWidgetItem* top = topLevelItem(i);
        SetDirectory(LastPath(NodePath(top)));
        if (!SelectedNode())
            setCurrentItem(top);
    }
}

void TDirTree::ReloadSelected() {
    QTreeWidgetItem* node = SelectedNode();
    if (KeyIndex(node) < 0) {
        Reload();
        return;
    }
    while (node->parent() && !IsFolder(NodePath(node)))
        node = node->parent();
    if (!IsFolder(NodePath(node))) {
        // The top-level node itself is gone (a volume unmounted): start over.
        Reload();
        return;
    }

    BusyScope busy(this);
    // No change is announced while nodes go and come; one is at the end.
    ready_ = false;
    QSet<QString> open;
    QList<QTreeWidgetItem*> pending{node};
    while (!pending.isEmpty()) {
        QTreeWidgetItem* each = pending.takeFirst();
        if (each->isExpanded() && KeyIndex(each) >= 0)
            open.insert(NodePath(each));
        for (int i = 0; i < each->childCount(); ++i)
            pending << each->child(i);
    }
    ForgetChildren(node);
    nodeKeys_[KeyIndex(node)][0] = u'u';
    ReadChildren(node);
    setCurrentItem(node);

    // Open again what was open, reading one level ahead as any expansion does; a node that
    // is not open has its children read already.
    pending = {node};
    while (!pending.isEmpty()) {
        QTreeWidgetItem* each = pending.takeFirst();
        if (!open.contains(NodePath(each)))
            continue;
        ReadGrandchildren(each);
        expandItem(each);
        for (int i = 0; i < each->childCount(); ++i)
            pending << each->child(i);
    }
    ready_ = true;
    SelectionChanged();
}

void TDirTree::ForgetChildren(QTreeWidgetItem* node) {
    QList<QTreeWidgetItem*> pending = node->takeChildren();
    const QList<QTreeWidgetItem*> children = pending;
    while (!pending.isEmpty()) {
        QTreeWidgetItem* each = pending.takeLast();
        if (const int key = KeyIndex(each); key >= 0) {
            keysByPath_.remove(NodePath(each), key);
            nodeKeys_[key].clear();
            nodes_[size_t(key)] = nullptr;
        }
        for (int i = 0; i < each->childCount(); ++i)
            pending << each->child(i);
    }
    qDeleteAll(children);
}

} // namespace vantuke
