#include "tag/PlanningFileSystem.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/ReadAhead.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace vantuke {

namespace {

// Room for this many changed files is made at once: a run changes files by the thousand.
constexpr qsizetype kNodesAtFirst = 1024;

QStringView FolderOf(QStringView path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

} // namespace

// A disk file under the model's opens. In Opening::Lock a file opened for a change is one
// PlannedFile for every open of it in the plan and for every change planned on it, so that it
// stays open and locked until the last of them lets go.
struct PlannedFile {
    PlannedFile(std::unique_ptr<TagFile> file, int* count)
        : real(std::move(file)), first(real->Stat()), count_(count) {
        if (count_)
            ++*count_;
    }
    ~PlannedFile() {
        if (count_)
            --*count_;
    }
    PlannedFile(const PlannedFile&) = delete;
    PlannedFile& operator=(const PlannedFile&) = delete;

    std::unique_ptr<TagFile> real;
    FileStat first;          // as opened, before anything read it: the times a change records
    int pending = 0;         // tag changes planned on it and not made yet
    bool closeAsked = false; // its entry closed it: closed once those are made
    bool closed = false;

private:
    int* count_; // the plan's count of locked files, or null
};

namespace {

// How many tag changes each thread has in one window of changes made together: enough to
// keep the threads busy, few enough that little is put back after a failure.
constexpr std::size_t kChangesPerThread = 4;

bool IsTagChange(const FileChange& change) {
    return change.kind == FileChange::Kind::WriteTag || change.kind == FileChange::Kind::RemoveTag;
}

// What making a tag change came to.
enum class Outcome : quint8 {
    Unmade,  // not tried: an earlier change of its file failed
    Made,    // made as planned
    Failed,  // not as planned, nothing changed
    Written, // written, and then failed (its close): on disk all the same
};

Outcome MakeTagChange(PlannedChange& planned) {
    PlannedFile* const file = planned.file.get();
    bool written = false;
    try {
        switch (planned.change.kind) {
        case FileChange::Kind::WriteTag:
            if (!file->real->StillAsRead())
                return Outcome::Failed;
            file->real->WriteTagBytes(planned.change.NewLast());
            break;
        case FileChange::Kind::RemoveTag:
            if (!file->real->StillAsRead() || !file->real->RemoveTag())
                return Outcome::Failed;
            break;
        case FileChange::Kind::Rename:
        case FileChange::Kind::ClearReadOnly:
            return Outcome::Failed; // not a tag change
        }
        written = true;
        if (--file->pending == 0 && file->closeAsked && !file->closed) {
            file->closed = true;
            file->real->Close();
        }
        return Outcome::Made;
    } catch (const IoError&) {
        return written ? Outcome::Written : Outcome::Failed;
    }
}

// Puts back a tag change made on the disk: on its file when it is still open, else on the
// file opened again at its path, when that is still the same file.
void PutBack(const PlannedChange& planned, FileSystem& files) {
    const FileChange& change = planned.change;
    try {
        if (!planned.file->closed) {
            planned.file->real->PutBack(change);
            return;
        }
        const std::unique_ptr<TagFile> again = files.Open(change.path, OpenMode::Change);
        if (again->Stat().device != change.before.device ||
            again->Stat().inode != change.before.inode)
            throw IoError::FromErrno(ESTALE);
        again->PutBack(change);
        again->Close();
    } catch (const IoError& error) {
        throw error.WithPath(change.path);
    }
}

// Makes the tag changes first to end (not included) together, each file's in order, and
// returns the first that did not turn out as planned (end when all did). Those after it that
// were made are put back.
std::size_t MakeTogether(std::vector<PlannedChange>& planned, std::size_t first, std::size_t end,
                         int threads, FileSystem& files, std::optional<IoError>& notPutBack) {
    // Each file's changes, in plan order.
    std::vector<std::vector<std::size_t>> groups;
    QHash<const PlannedFile*, std::size_t> groupOf;
    for (std::size_t c = first; c < end; ++c) {
        if (const auto at = groupOf.constFind(planned[c].file.get()); at != groupOf.cend()) {
            groups[*at].push_back(c);
            continue;
        }
        groupOf.insert(planned[c].file.get(), groups.size());
        groups.push_back({c});
    }
    std::vector<Outcome> outcomes(end - first, Outcome::Unmade);
    InParallel(qsizetype(groups.size()), threads, [&](qsizetype g) {
        for (const std::size_t c : groups[std::size_t(g)]) {
            Outcome& outcome = outcomes[c - first];
            try {
                outcome = MakeTagChange(planned[c]);
            } catch (...) {
                outcome = Outcome::Written; // whatever it did is looked at before it is put back
            }
            if (outcome != Outcome::Made)
                break;
        }
    });
    std::size_t failed = first;
    while (failed < end && outcomes[failed - first] == Outcome::Made)
        ++failed;
    // The changes after the failed one must look never made, last first.
    for (std::size_t c = end; failed < end && c-- > failed + 1;) {
        if (outcomes[c - first] != Outcome::Made && outcomes[c - first] != Outcome::Written)
            continue;
        try {
            PutBack(planned[c], files);
        } catch (const IoError& error) {
            if (!notPutBack)
                notPutBack = error;
        }
    }
    return failed;
}

} // namespace

bool MakePlannedChange(PlannedChange& planned, FileSystem& files) {
    if (planned.change.kind == FileChange::Kind::Rename)
        return files.Rename(planned.change.path, planned.change.newPath);
    return MakeTagChange(planned) == Outcome::Made;
}

MadeChanges MakePlannedChanges(std::vector<PlannedChange>& planned, FileSystem& files) {
    const int threads = files.ChangesAtOnce();
    MadeChanges made;
    std::size_t& c = made.count;
    while (c < planned.size()) {
        std::size_t end = c;
        if (threads > 1) {
            const std::size_t most = c + std::size_t(threads) * kChangesPerThread;
            while (end < std::min(planned.size(), most) && IsTagChange(planned[end].change))
                ++end;
        }
        if (end - c <= 1) {
            if (!MakePlannedChange(planned[c], files))
                return made;
            ++c;
            continue;
        }
        c = MakeTogether(planned, c, end, threads, files, made.notPutBack);
        if (c < end)
            return made;
    }
    return made;
}

// One file opened in the model. Nothing is written to the disk file under it; in
// Opening::Lock each tag change is planned for it instead.
class PlanningFileSystem::File final : public TagFile {
public:
    File(PlanningFileSystem& model, QString path, std::shared_ptr<PlannedFile> disk, Node* node)
        : model_(model), path_(std::move(path)), disk_(std::move(disk)), node_(node) {}

    const FileStat& Stat() const override { return node_ ? node_->stat : disk_->real->Stat(); }

    QByteArrayView LastBytes() override { return EndBytes().last(kTagSize); }

    QByteArrayView EndBytes() override {
        // A file the model has not changed ends as on disk, where the real file has its end
        // at hand.
        if (!node_) {
            try {
                return disk_->real->EndBytes();
            } catch (const IoError& error) {
                throw error.WithPath(path_);
            }
        }
        if (!haveEnd_) {
            const qint64 size = TagStart() + kTagSize;
            endSize_ = qsizetype(std::min<qint64>(size, kTagEndSize));
            ReadAt(size - endSize_, end_.data(), endSize_);
            haveEnd_ = true;
        }
        return QByteArrayView(end_.data(), endSize_);
    }

    void WriteTag(const TTagRecord& record) override {
        TagWriteBytes built;
        const qsizetype size = BuildTagWrite(EndBytes(), record, built.data());
        const qint64 at = HasTag() ? Stat().size - size : Stat().size;
        if (model_.opening_ == Opening::Lock) {
            ++disk_->pending;
            model_.Plan(TagWrite(path_, Stat(), disk_->first, EndBytes(),
                                 QByteArrayView(built.data(), size)),
                        disk_);
        }
        Node& node = Changed();
        if (at >= node.diskBytes) {
            node.tail.resize(at - node.diskBytes);
        } else {
            node.diskBytes = at;
            node.tail.clear();
        }
        // A run's model holds a tail for every file it wrote: no room beyond the bytes.
        node.tail.reserve(node.tail.size() + size);
        node.tail.append(built.data(), size);
        node.stat.size = at + size;
        haveEnd_ = false;
    }

    bool RemoveTag() override {
        if (!HasTag())
            return false;
        if (model_.opening_ == Opening::Lock) {
            ++disk_->pending;
            model_.Plan(TagCut(path_, Stat(), disk_->first, EndBytes()), disk_);
        }
        const qint64 size = Stat().size - ReadTagEnd(EndBytes()).size;
        Node& node = Changed();
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

    // A file with changes planned is closed once they are made.
    void Close() override {
        if (disk_->pending > 0) {
            disk_->closeAsked = true;
        } else if (!disk_->closed) {
            disk_->closed = true;
            disk_->real->Close();
        }
    }

    // n bytes of the file as the model has it, from pos on.
    void ReadAt(qint64 pos, char* out, qint64 n) const override {
        const qint64 fromDisk = node_ ? std::clamp<qint64>(node_->diskBytes - pos, 0, n) : n;
        try {
            disk_->real->ReadAt(pos, out, fromDisk);
        } catch (const IoError& error) {
            throw error.WithPath(path_);
        }
        if (fromDisk < n)
            std::copy_n(node_->tail.constData() + (pos + fromDisk - node_->diskBytes), n - fromDisk,
                        out + fromDisk);
    }

    // The model changes only through this run; the disk file under it may be changed by
    // another program.
    bool StillAsRead() override { return disk_->real->StillAsRead(); }

private:
    qint64 TagStart() const {
        const qint64 start = Stat().size - kTagSize;
        if (start < 0)
            throw IoError::FromErrno(EINVAL).WithPath(path_);
        return start;
    }

    Node& Changed() {
        if (!node_)
            node_ = &model_.NodeOf(path_, disk_->real->Stat());
        return *node_;
    }

    PlanningFileSystem& model_;
    QString path_;
    std::shared_ptr<PlannedFile> disk_;
    Node* node_;
    std::array<char, kTagEndSize> end_;
    qsizetype endSize_ = 0;
    bool haveEnd_ = false;
};

PlanningFileSystem::PlanningFileSystem(FileSystem& disk, Opening opening)
    : disk_(disk), opening_(opening) {}

PlanningFileSystem::~PlanningFileSystem() = default;

void PlanningFileSystem::BeginEntry() {
    runsAtOnce_ = false;
    entryFiles_.clear();
}

void PlanningFileSystem::Clear() {
    planned_.clear();
    entryFiles_.clear();
    nodes_.clear();
    names_.clear();
    store_.clear();
    runsAtOnce_ = false;
}

std::shared_ptr<PlannedFile> PlanningFileSystem::HeldFile(const FileStat& stat) const {
    const auto same = [&stat](const PlannedFile* file) {
        return file && file->first.device == stat.device && file->first.inode == stat.inode;
    };
    for (const std::weak_ptr<PlannedFile>& opened : entryFiles_) {
        if (std::shared_ptr<PlannedFile> file = opened.lock(); same(file.get()))
            return file;
    }
    for (const PlannedChange& planned : planned_) {
        if (same(planned.file.get()))
            return planned.file;
    }
    return nullptr;
}

PlanningFileSystem::Node* PlanningFileSystem::Named(const QString& path) const {
    Node* const node = names_.value(path);
    return node && node->path == path ? node : nullptr;
}

PlanningFileSystem::Found PlanningFileSystem::Find(const QString& path) const {
    if (Node* const node = Named(path))
        return {node->stat, node};
    std::optional<FileStat> disk = disk_.Stat(path);
    if (!disk || nodes_.isEmpty())
        return {disk, nullptr};
    Node* const node = nodes_.value(Identity(disk->device, disk->inode));
    if (!node)
        return {disk, nullptr};
    // Another letter case of the name the model moved the file away from, on a volume that
    // finds the file by it: the name is free now.
    if (node->Moved() && node->path != path && SameNameButCase(node->DiskPath(), path))
        return {};
    return {node->stat, node};
}

PlanningFileSystem::Node& PlanningFileSystem::NodeOf(const QString& path, const FileStat& stat) {
    if (nodes_.isEmpty())
        nodes_.reserve(kNodesAtFirst);
    Node*& node = nodes_[Identity(stat.device, stat.inode)];
    if (!node) {
        node = &store_.emplace_back();
        node->path = path;
        node->stat = stat;
        node->diskBytes = stat.size;
    }
    return *node;
}

FolderAccess PlanningFileSystem::Folder(QStringView folder) {
    // Nothing in a run changes a folder: one look at each is enough. A run goes folder by
    // folder, so the last one is asked again most of the time.
    if (folder == lastFolder_ && !lastFolder_.isNull())
        return lastAccess_;
    lastFolder_ = folder.toString();
    auto known = folders_.find(lastFolder_);
    if (known == folders_.end())
        known = folders_.insert(lastFolder_, FolderAccessOf(lastFolder_));
    lastAccess_ = *known;
    return lastAccess_;
}

std::optional<FileStat> PlanningFileSystem::Stat(const QString& path) {
    return Find(path).stat;
}

std::shared_ptr<PlannedFile> PlanningFileSystem::OpenDisk(const QString& path, OpenMode mode,
                                                          const Node* node) {
    // A file whose mode only the model has cleared cannot be opened for a change yet: its
    // entry runs at once (ClearReadOnly said so).
    const bool lock = opening_ == Opening::Lock && mode == OpenMode::Change && !runsAtOnce_ &&
                      !(node && node->modeCleared);
    if (!lock)
        return std::make_shared<PlannedFile>(disk_.Open(path, OpenMode::Look), nullptr);
    std::unique_ptr<TagFile> file;
    if (lockedCount_ == 0) {
        // The plan holds no lock: waiting for this one keeps nobody waiting.
        file = disk_.Open(path, OpenMode::Change);
    } else {
        FileStat busy;
        file = disk_.OpenIfFree(path, busy);
        if (!file) {
            // The plan's own lock (the file under another name), or another program's, which
            // this entry must not wait for while the plan holds its own.
            if (std::shared_ptr<PlannedFile> own = HeldFile(busy))
                return own;
            runsAtOnce_ = true;
            return std::make_shared<PlannedFile>(disk_.Open(path, OpenMode::Look), nullptr);
        }
    }
    auto planned = std::make_shared<PlannedFile>(std::move(file), &lockedCount_);
    entryFiles_.push_back(planned);
    return planned;
}

std::unique_ptr<TagFile> PlanningFileSystem::Open(const QString& path, OpenMode mode) {
    Node* node = Named(path);
    std::shared_ptr<PlannedFile> disk = OpenDisk(node ? node->DiskPath() : path, mode, node);
    if (!node && !nodes_.isEmpty()) {
        const FileStat& stat = disk->real->Stat();
        if (const auto found = nodes_.constFind(Identity(stat.device, stat.inode));
            found != nodes_.cend()) {
            // The name the model moved the file away from (or another letter case of it, on
            // a volume that finds the file by it).
            if ((*found)->Moved() && (*found)->path != path &&
                SameNameButCase((*found)->DiskPath(), path))
                throw IoError::FromErrno(ENOENT).WithPath(path);
            node = *found;
        }
    }
    if (mode == OpenMode::Change && opening_ == Opening::Look) {
        const quint32 fileMode = node ? node->stat.mode : disk->real->Stat().mode;
        if ((fileMode & FileStat::kOwnerWrite) == 0)
            throw IoError::FromErrno(EACCES).WithPath(path);
        if (!node || !node->modeCleared) {
            if (const int err = WriteAccessError(node ? node->DiskPath() : path))
                throw IoError::FromErrno(err).WithPath(path);
        }
    }
    return std::make_unique<File>(*this, path, std::move(disk), node);
}

void PlanningFileSystem::WillOpen(const QStringList& paths, OpenMode, qint64 head) {
    disk_.WillOpen(paths, opening_ == Opening::Look ? OpenMode::Look : OpenMode::Change, head);
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
    if (opening_ == Opening::Lock) {
        // The entry that holds the file open keeps it locked until the rename is made.
        std::shared_ptr<PlannedFile> held = HeldFile(*source.stat);
        FileChange change = StartChange(FileChange::Kind::Rename, from, *source.stat,
                                        held ? held->first : *source.stat);
        change.newPath = to;
        Plan(std::move(change), std::move(held));
    }
    // The name it leaves is free: nothing has it in the model, and the disk's file there is
    // this one, moved.
    Node& node = source.node ? *source.node : NodeOf(from, *source.stat);
    names_.insert(to, &node);
    if (!node.Moved())
        node.diskName = NameToBytes(node.path);
    else if (NameToBytes(to) == node.diskName)
        node.diskName.clear(); // back on its name on disk
    node.path = to;
    return true;
}

QByteArray PlanningFileSystem::FirstBytes(const QString& path, qsizetype count) {
    const Found found = Find(path);
    if (!found.stat)
        return {};
    if (!found.node)
        return disk_.FirstBytes(path, count);
    // The file's first diskBytes bytes are still those on disk, its tail the model's.
    const Node& node = *found.node;
    const qint64 fromDisk = std::min<qint64>(count, node.diskBytes);
    QByteArray bytes = disk_.FirstBytes(node.DiskPath(), fromDisk);
    if (bytes.size() == fromDisk)
        bytes += node.tail.first(std::min<qint64>(count - fromDisk, node.tail.size()));
    return bytes;
}

bool PlanningFileSystem::ClearReadOnly(const QString& path) {
    Node* known = Named(path);
    // The mode of the file a link leads to, as the real clear changes it.
    std::optional<FileStat> target;
    if (!known) {
        target = StatPath(path, true);
        if (!target)
            return false;
        known = nodes_.value(Identity(target->device, target->inode));
        // The name the model moved the file away from (or another letter case of it).
        if (known && known->Moved() && known->path != path &&
            SameNameButCase(known->DiskPath(), path))
            return false;
    }
    const quint32 mode = known ? known->stat.mode : target->mode;
    if ((mode & FileStat::kOwnerWrite) != 0 || !CouldMakeWritable(known ? known->DiskPath() : path))
        return false;
    Node& node = known ? *known : NodeOf(path, *target);
    node.stat.mode |= FileStat::kOwnerWrite;
    node.modeCleared = true;
    // A mode is cleared at once, recorded on its own: the file cannot be opened for its
    // change before.
    if (opening_ == Opening::Lock)
        runsAtOnce_ = true;
    return true;
}

} // namespace vantuke
