#pragma once

#include "selection/DirTreeRoots.h"

#include <QFlags>
#include <QHash>
#include <QIcon>
#include <QMultiHash>
#include <QTreeWidget>

#include <functional>
#include <vector>

class QAction;

namespace vantuke {

// Folder attributes the tree can filter on. On Linux a folder is hidden when its name starts
// with "."; there is no system or archive attribute, and read-only plays no part.
enum tdirattr {
    dtReadonly = 0x01,
    dtHidden = 0x02,
    dtSystem = 0x04,
    dtArchive = 0x08,
    dtNormal = 0x10,
    dtAll = 0x20,
};
Q_DECLARE_FLAGS(tDirType, tdirattr)
Q_DECLARE_OPERATORS_FOR_FLAGS(tDirType)

// Asked before a top-level node or a folder is shown, with its path ending in "/"; setting
// DoAdd to false leaves it out.
using taddfileevent = std::function<void(const QString& Filename, bool& DoAdd)>;

// A tree of the user's home folder, the file system and the mounted volumes, read lazily:
// a folder's children are read when its parent expands, so every node shown carries an
// expand button exactly when it has folders to show.
//
// Each node has a key, a state letter ("u" unread, "i" read) and the full path ending in
// "/", in NodeKeys; the node's data is the key's position. Paths keep their case and are
// compared exactly. A hash from path to key positions sits beside the list, so a look-up
// never runs through all keys. A folder can appear twice (under Home and under File System),
// so a look-up also checks the node's parent. A key emptied by a reload of a branch belongs
// to no node any more.
class TDirTree : public QTreeWidget {
    Q_OBJECT
public:
    using RootProvider = std::function<QList<DirTreeRoot>()>;

    explicit TDirTree(QWidget* parent = nullptr);
    // The top-level nodes come from roots at every rebuild (tests give their own folders).
    explicit TDirTree(RootProvider roots, QWidget* parent = nullptr);
    ~TDirTree() override;

    // The selected folder, ending in "/"; "?" when no folder is selected.
    QString GetDirectory() const;
    // Selects a folder, reading the levels on the way. A trailing "/" is optional. Nothing
    // happens for the folder already selected, or for a path that is relative, is no folder,
    // or is not in the tree (left out by DirType, AllowNetwork or OnAddDir).
    void SetDirectory(const QString& path);
    // Rebuilds the top level. Selects nothing and fires no OnChange.
    void ReadDrives();
    // Rebuilds and selects the folder selected before, else the nearest thing to it.
    void Reload();
    // Reads the folders below the selected one again (F5, "Reload" in the context menu), so
    // folders made or removed meanwhile show; open folders stay open. Should the selected
    // folder be gone, the nearest folder above it that is still there is read and selected.
    // Ends with OnChange, so the folder's files are listed again. With nothing selected, the
    // whole tree is rebuilt (Reload).
    void ReloadSelected();
    // "Reload" on F5; shown in the tree's context menu. Add it to a widget around the tree to
    // let F5 work anywhere in it.
    QAction* ReloadAction() const { return reload_; }

    // False until the first rebuild ends, and again during every rebuild.
    bool Ready() const { return ready_; }
    // Fill the tree when it is first shown (or first told to select a folder). Default true.
    bool ReadOnStart() const { return readOnStart_; }
    void SetReadOnStart(bool on) { readOnStart_ = on; }
    // Which folders are shown; changing it rebuilds. Default dtNormal | dtAll.
    tDirType DirType() const { return dirType_; }
    void SetDirType(tDirType type);
    // Whether volumes on network file systems are shown; changing it rebuilds. Default true.
    bool AllowNetwork() const { return allowNetwork_; }
    void SetAllowNetwork(bool allow);
    void SetOnAddDir(taddfileevent handler) { onAddDir_ = std::move(handler); }

    // The folder last selected under a top-level node (its path); at first the working
    // folder for the node that holds it, the node's own path for the others.
    QString LastPath(const QString& rootPath) const;
    const QStringList& NodeKeys() const { return nodeKeys_; }

signals:
    // The selected folder changed, by the user or by SetDirectory (never during a rebuild).
    void OnChange();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnsureCreated();
    bool Admitted(const QString& path) const;
    bool IncludeDir(const QString& name) const;
    QStringList AcceptableSubdirs(const QString& path, bool firstOnly) const;

    QTreeWidgetItem* NewNode(const QString& path, const QString& caption, const QIcon& icon);
    void ProbeSubdirs(QTreeWidgetItem* node);
    void ReadChildren(QTreeWidgetItem* node);
    void ReadGrandchildren(QTreeWidgetItem* node);
    void NodeExpanded(QTreeWidgetItem* node);
    // Drops the node's children and everything below them, with their keys.
    void ForgetChildren(QTreeWidgetItem* node);
    void SelectionChanged();

    int KeyIndex(const QTreeWidgetItem* node) const;
    QString NodePath(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* SelectedNode() const;
    QStringList RootPaths() const;
    QTreeWidgetItem* FindNode(const QTreeWidgetItem* parent, const QString& path) const;

    RootProvider roots_;
    bool created_ = false;
    bool ready_ = false;
    bool readOnStart_ = true;
    tDirType dirType_ = tDirType(dtNormal) | dtAll;
    bool allowNetwork_ = true;
    taddfileevent onAddDir_;

    QStringList nodeKeys_;
    std::vector<QTreeWidgetItem*> nodes_; // by key position
    QMultiHash<QString, int> keysByPath_;
    QHash<QString, QString> lastPaths_; // by top-level path
    QString startDir_;

    QAction* reload_;
    QIcon folderIcon_;
    QIcon homeIcon_;
    QIcon fileSystemIcon_;
    QIcon volumeIcon_;
};

} // namespace vantuke
