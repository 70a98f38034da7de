#include "tag/PlanningFileSystem.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace vantuke {

namespace {

QStringView FolderOf(QStringView path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

} // namespace

// A file the model has changed. Its bytes are the first diskBytes bytes of the file on disk
// followed by tail: every change a run makes to a file writes or cuts at its end (the tag and
// its Enhanced TAG block).
struct PlanningFileSystem::Planned {
    QString diskPath; // a name of the file on disk, to read its bytes through
    QString path;     // where the model has it now
    FileStat stat;    // as on disk, with the model's size and mode
    qint64 diskBytes = 0;
    QByteArray tail;
    bool modeCleared = false; // the model gave it the owner's write permission
};

// One file opened in the model. The disk file stays open for reading only; nothing is ever
// written to it.
class PlanningFileSystem::File final : public TagFile {
public:
    File(PlanningFileSystem& files, QString path, std::unique_ptr<OpenFile> disk, Planned* node)
        : files_(files), path_(std::move(path)), disk_(std::move(disk)), node_(node) {}

    const FileStat& Stat() const override { return node_ ? node_->stat : disk_->Stat(); }

    QByteArrayView LastBytes() override { return EndBytes().last(kTagSize); }

    QByteArrayView EndBytes() override {
        if (!haveEnd_) {
            const qint64 size = TagStart() + kTagSize;
            endSize_ = qsizetype(std::min<qint64>(size, kTagEndSize));
            ReadAt(size - endSize_, end_.data(), endSize_);
            haveEnd_ = true;
        }
        return QByteArrayView(end_.data(), endSize_);
    }

    void WriteTag(const TTagRecord& record) override {
        std::array<char, kTagSize + kEnhancedTagSize> built;
        const qsizetype size = BuildTagWrite(EndBytes(), record, built.data());
        const qint64 at = HasTag() ? Stat().size - size : Stat().size;
        Planned& node = Changed();
        if (at >= node.diskBytes) {
            node.tail.resize(at - node.diskBytes);
        } else {
            node.diskBytes = at;
            node.tail.clear();
        }
        node.tail.append(built.data(), size);
        node.stat.size = at + size;
        haveEnd_ = false;
    }

    bool RemoveTag() override {
        if (!HasTag())
            return false;
        const qint64 size = Stat().size - ReadTagEnd(EndBytes()).size;
        Planned& node = Changed();
        if (size <= node.diskBytes) {
            node.diskBytes = size;
            node.tail.clear();
        } else {
            node.tail.resize(size - node.diskBytes);
        }
        node.stat.size = size;
        haveEnd_ = false;
        return true;
    }

    // n bytes of the file as the model has it, from pos on.
    void ReadAt(qint64 pos, char* out, qint64 n) const override {
        const qint64 fromDisk = node_ ? std::clamp<qint64>(node_->diskBytes - pos, 0, n) : n;
        try {
            disk_->ReadAt(pos, out, fromDisk);
        } catch (const IoError& error) {
            throw error.WithPath(path_);
        }
        if (fromDisk < n)
            std::copy_n(node_->tail.constData() + (pos + fromDisk - node_->diskBytes), n - fromDisk,
                        out + fromDisk);
    }

    void Close() override {}
    // The model changes only through this run; the disk file under it may be changed by
    // another program.
    bool StillAsRead() override { return disk_->SizeUnchanged(); }

private:
    qint64 TagStart() const {
        const qint64 start = Stat().size - kTagSize;
        if (start < 0)
            throw IoError::FromErrno(EINVAL).WithPath(path_);
        return start;
    }

    Planned& Changed() {
        if (!node_)
            node_ = files_.Node(path_, disk_->Stat()).get();
        return *node_;
    }

    PlanningFileSystem& files_;
    QString path_;
    std::unique_ptr<OpenFile> disk_;
    Planned* node_;
    std::array<char, kTagEndSize> end_;
    qsizetype endSize_ = 0;
    bool haveEnd_ = false;
};

PlanningFileSystem::PlanningFileSystem() = default;
PlanningFileSystem::~PlanningFileSystem() = default;

PlanningFileSystem::Found PlanningFileSystem::Find(const QString& path) const {
    if (const auto name = names_.constFind(path); name != names_.cend()) {
        if (!*name)
            return {};
        return {(*name)->stat, *name};
    }
    std::optional<FileStat> disk = StatPath(path);
    if (!disk || files_.isEmpty())
        return {disk, nullptr};
    const std::shared_ptr<Planned> node = files_.value(Identity(disk->device, disk->inode));
    if (!node)
        return {disk, nullptr};
    // Another letter case of the name the model moved the file away from, on a volume that
    // finds the file by it: the name is free now.
    if (node->path != path && SameNameButCase(node->diskPath, path))
        return {};
    return {node->stat, node};
}

std::shared_ptr<PlanningFileSystem::Planned> PlanningFileSystem::Node(const QString& path,
                                                                      const FileStat& stat) {
    std::shared_ptr<Planned>& node = files_[Identity(stat.device, stat.inode)];
    if (!node) {
        node = std::make_shared<Planned>();
        node->diskPath = path;
        node->path = path;
        node->stat = stat;
        node->diskBytes = stat.size;
        names_.insert(path, node);
    }
    return node;
}

FolderAccess PlanningFileSystem::Folder(QStringView folder) {
    // Nothing in a run changes a folder: one look at each is enough.
    const QString key = folder.toString();
    auto known = folders_.find(key);
    if (known == folders_.end())
        known = folders_.insert(key, FolderAccessOf(key));
    return *known;
}

std::optional<FileStat> PlanningFileSystem::Stat(const QString& path) {
    return Find(path).stat;
}

std::unique_ptr<TagFile> PlanningFileSystem::Open(const QString& path, OpenMode mode) {
    const auto name = names_.constFind(path);
    if (name != names_.cend() && !*name)
        throw IoError::FromErrno(ENOENT).WithPath(path);
    Planned* node = name != names_.cend() ? name->get() : nullptr;
    auto disk = std::make_unique<OpenFile>(node ? node->diskPath : path, OpenMode::Look);
    if (!node && !files_.isEmpty()) {
        const FileStat& stat = disk->Stat();
        if (const auto found = files_.constFind(Identity(stat.device, stat.inode));
            found != files_.cend()) {
            if ((*found)->path != path && SameNameButCase((*found)->diskPath, path))
                throw IoError::FromErrno(ENOENT).WithPath(path);
            node = found->get();
        }
    }
    if (mode == OpenMode::Change) {
        const quint32 fileMode = node ? node->stat.mode : disk->Stat().mode;
        if ((fileMode & FileStat::kOwnerWrite) == 0)
            throw IoError::FromErrno(EACCES).WithPath(path);
        if (!node || !node->modeCleared) {
            if (const int err = WriteAccessError(node ? node->diskPath : path))
                throw IoError::FromErrno(err).WithPath(path);
        }
    }
    return std::make_unique<File>(*this, path, std::move(disk), node);
}

bool PlanningFileSystem::Rename(const QString& from, const QString& to) {
    if (from == to)
        return true;
    const Found source = Find(from);
    if (!source.stat)
        return false;
    if (const Found target = Find(to); target.stat) {
        // Only the file itself under another letter case, on a volume blind to case.
        const bool sameFile =
            target.stat->device == source.stat->device && target.stat->inode == source.stat->inode;
        if (!sameFile || !SameNameButCase(from, to))
            return false;
    }
    if (RenameRefusal(from, to, Folder(FolderOf(from)), Folder(FolderOf(to))) != 0)
        return false;
    const std::shared_ptr<Planned> node = source.node ? source.node : Node(from, *source.stat);
    names_.insert(from, nullptr);
    names_.insert(to, node);
    node->path = to;
    return true;
}

QByteArray PlanningFileSystem::FirstBytes(const QString& path, qsizetype count) {
    const Found found = Find(path);
    if (!found.stat)
        return {};
    if (!found.node)
        return FileSystem::FirstBytes(path, count);
    // The file's first diskBytes bytes are still those on disk, its tail the model's.
    const Planned& node = *found.node;
    QByteArray bytes =
        FileSystem::FirstBytes(node.diskPath, std::min<qint64>(count, node.diskBytes));
    if (bytes.size() == std::min<qint64>(count, node.diskBytes))
        bytes += node.tail.first(std::min<qint64>(count - bytes.size(), node.tail.size()));
    return bytes;
}

bool PlanningFileSystem::ClearReadOnly(const QString& path) {
    const auto name = names_.constFind(path);
    if (name != names_.cend() && !*name)
        return false;
    std::shared_ptr<Planned> known = name != names_.cend() ? *name : nullptr;
    // The mode of the file a link leads to, as the real clear changes it.
    std::optional<FileStat> target;
    if (!known) {
        target = StatPath(path, true);
        if (!target)
            return false;
        known = files_.value(Identity(target->device, target->inode));
    }
    const quint32 mode = known ? known->stat.mode : target->mode;
    if ((mode & FileStat::kOwnerWrite) != 0 || !CouldMakeWritable(known ? known->diskPath : path))
        return false;
    Planned& node = known ? *known : *Node(path, *target);
    node.stat.mode |= FileStat::kOwnerWrite;
    node.modeCleared = true;
    return true;
}

} // namespace vantuke
