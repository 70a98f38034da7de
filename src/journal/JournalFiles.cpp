#include "journal/JournalFiles.h"

#include "convert/PathNames.h"
#include "platform/Directory.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "tag/RecycledMemory.h"
#include "tag/TagBytes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vantuke {

namespace {

// The longest file name (one path component) Linux file systems take, in bytes.
constexpr qsizetype kMaxNameBytes = 255;
// A folder is listed once names in it were looked up this often.
constexpr int kLookupsBeforeListing = 64;

bool SameFile(const FileStat& a, const FileStat& b) {
    return a.device == b.device && a.inode == b.inode;
}

} // namespace

// One file opened for a change, shared by the step's File and the changes held for it.
struct JournalFiles::Handle {
    explicit Handle(std::unique_ptr<TagFile> file) : real(std::move(file)) {}

    std::unique_ptr<TagFile> real;
    int held = 0;            // tag changes held for it, not made yet
    bool closeAsked = false; // the step closed it: close it once its changes are made
    bool closed = false;
};

// A change recorded but not made yet.
struct JournalFiles::Held {
    int entry = -1;
    quint32 sequence = 0;
    ChangeKind kind = ChangeKind::WriteTag;
    std::shared_ptr<Handle> handle; // a tag change's file; the file a renaming entry holds
    std::size_t record = 0;         // a tag write: its record in heldRecords_
    QString from;                   // a rename
    QString to;
};

// The file a step opened for a change. While changes are held for it, it answers as the file
// will be once they are made.
class JournalFiles::File final : public TagFile {
public:
    File(JournalFiles& owner, std::shared_ptr<Handle> handle, QString path)
        : owner_(owner), handle_(std::move(handle)), path_(std::move(path)) {}
    ~File() override { handle_->closeAsked = true; }

    static void* operator new(std::size_t size) { return Memory::Take(size); }
    static void operator delete(void* memory, std::size_t size) { Memory::Give(memory, size); }

    const FileStat& Stat() const override {
        return handle_->held > 0 ? heldStat_ : handle_->real->Stat();
    }
    QByteArrayView LastBytes() override {
        if (handle_->held > 0 && !heldLastKnown_)
            owner_.RequestCommit(); // the bytes before a held cut are not known here
        if (handle_->held > 0)
            return QByteArrayView(heldLast_.data(), kTagSize);
        return handle_->real->LastBytes();
    }
    QByteArrayView EndBytes() override {
        if (handle_->held > 0)
            owner_.RequestCommit(); // only the tag a held write gives is foreseen
        return handle_->real->EndBytes();
    }
    // A change held for the file touches only its end, which the steps read by EndBytes.
    void ReadAt(qint64 pos, char* out, qint64 n) const override {
        handle_->real->ReadAt(pos, out, n);
    }
    void WriteTag(const TTagRecord& record) override { owner_.WriteTag(*this, record); }
    bool RemoveTag() override { return owner_.RemoveTag(*this); }
    void Close() override {
        handle_->closeAsked = true;
        if (handle_->held == 0 && !handle_->closed) {
            handle_->closed = true;
            handle_->real->Close();
        }
    }
    bool StillAsRead() override { return handle_->real->StillAsRead(); }

    const QString& Path() const { return path_; }
    const std::shared_ptr<Handle>& Shared() const { return handle_; }
    // The file as opened, before this object read it.
    const FileStat& Opened() const { return handle_->real->Stat(); }
    // What the file will be once the held changes are made.
    void Foresee(qint64 size, const char* last) {
        heldStat_ = Stat();
        heldStat_.size = size;
        heldLastKnown_ = last != nullptr;
        if (last)
            std::copy_n(last, kTagSize, heldLast_.data());
    }

private:
    using Memory = RecycledMemory<File, 4096>;

    JournalFiles& owner_;
    std::shared_ptr<Handle> handle_;
    QString path_;
    FileStat heldStat_;
    std::array<char, kTagSize> heldLast_{};
    bool heldLastKnown_ = false;
};

JournalFiles::JournalFiles(FileSystem& files, JournalWriter& journal, HoldLimits limits)
    : files_(files), journal_(journal), limits_(limits), lockWait_([this](const FileStat&) {
          // Whoever holds the lock, this run lets go of its own first: the holder may be a
          // held change of this run, or another run that waits for one of them.
          if (!held_.empty())
              RequestCommit();
      }) {}

JournalFiles::~JournalFiles() {
    DropHeld();
}

std::optional<FileStat> JournalFiles::Stat(const QString& path) {
    if (const auto named = names_.constFind(path); named != names_.cend())
        return *named;
    return files_.Stat(path);
}

std::unique_ptr<TagFile> JournalFiles::Open(const QString& path, OpenMode mode) {
    if (names_.contains(path))
        RequestCommit();
    std::unique_ptr<TagFile> real = files_.Open(path, mode);
    if (mode != OpenMode::Change)
        return real;
    auto handle = std::make_shared<Handle>(std::move(real));
    FileStat first = handle->real->Stat();
    for (const Opened& before : std::as_const(opened_)) {
        if (SameFile(before.first, first))
            first = before.first;
    }
    opened_.append(Opened{path, handle, first});
    return std::make_unique<File>(*this, std::move(handle), path);
}

bool JournalFiles::MayTakeName(const QString& from, const QString& to, const FileStat& source) {
    const qsizetype nameStart = FileNameStart(to);
    bool ok = false;
    const QByteArray name = NameToBytes(QStringView(to).mid(nameStart), &ok);
    if (!ok || name.isEmpty() || name.size() > kMaxNameBytes || name.contains('\0'))
        return false;
    const bool sameFolder =
        QStringView(from).first(FileNameStart(from)) == QStringView(to).first(nameStart);
    if (const std::optional<FileStat> target = NameHolder(to)) {
        // A new letter case on a volume that does not tell case apart: the name is the
        // file's own.
        return sameFolder && SameFile(*target, source);
    }
    return sameFolder || IsFolder(to.first(nameStart));
}

std::optional<FileStat> JournalFiles::NameHolder(const QString& path) {
    if (const auto named = names_.constFind(path); named != names_.cend())
        return *named;
    const qsizetype nameStart = FileNameStart(path);
    const QString dir = path.first(nameStart);
    std::shared_ptr<FolderNames>& folder = folders_[dir];
    if (!folder)
        folder = std::make_shared<FolderNames>();
    if (!folder->listed && ++folder->lookups > kLookupsBeforeListing) {
        folder->listed = ReadDirectory(dir, EntryDetail::KindOnly, [&folder](const DirEntry& e) {
            ++folder->names[qHash(e.name)];
            return true;
        });
    }
    if (folder->listed && !folder->names.contains(qHash(QStringView(path).mid(nameStart))))
        return std::nullopt;
    return files_.Stat(path);
}

void JournalFiles::NameMoved(const QString& from, const QString& to) {
    if (const auto folder = folders_.value(from.first(FileNameStart(from)));
        folder && folder->listed) {
        const auto name = folder->names.find(qHash(QStringView(from).mid(FileNameStart(from))));
        if (name != folder->names.end() && --*name == 0)
            folder->names.erase(name);
    }
    if (const auto folder = folders_.value(to.first(FileNameStart(to))); folder && folder->listed)
        ++folder->names[qHash(QStringView(to).mid(FileNameStart(to)))];
}

bool JournalFiles::Rename(const QString& from, const QString& to) {
    const std::optional<FileStat> source = Stat(from);
    if (!source || !MayTakeName(from, to, *source))
        return false;
    ChangeRecord change = NewChange(ChangeKind::Rename, from, *source, *source);
    change.newPath = to;
    // The entry holding the file open keeps it locked until the rename is made.
    std::shared_ptr<Handle> handle;
    for (const Opened& opened : std::as_const(opened_)) {
        if (opened.path == from)
            handle = opened.handle.lock();
    }
    Count(change);
    if (!holding_) {
        RecordNow(change);
        const bool renamed = files_.Rename(from, to);
        if (renamed) {
            journal_.AddDone(change.sequence, change.sequence);
            NameMoved(from, to);
        }
        return renamed;
    }
    journal_.AddChange(change);
    Held held;
    held.entry = entry_;
    held.sequence = change.sequence;
    held.kind = ChangeKind::Rename;
    held.handle = std::move(handle);
    held.from = from;
    held.to = to;
    Hold(std::move(held));
    names_.insert(from, std::nullopt);
    names_.insert(to, *source);
    return true;
}

bool JournalFiles::ClearReadOnly(const QString& path) {
    if (names_.contains(path))
        RequestCommit();
    const std::optional<FileStat> target = StatPath(path, true);
    if (!target || !target->IsReadOnly())
        return false;
    // The held changes are made first; then this one is recorded on its own and made at
    // once, as is the rest of this entry.
    RequestCommit();
    ChangeRecord change = NewChange(ChangeKind::ClearReadOnly, path, *target, *target);
    change.newMode = target->mode | FileStat::kOwnerWrite;
    Count(change);
    RecordNow(change);
    const bool cleared = files_.ClearReadOnly(path);
    if (cleared)
        journal_.AddDone(change.sequence, change.sequence);
    return cleared;
}

ChangeRecord JournalFiles::TagChange(File& file, ChangeKind kind) {
    ChangeRecord change = NewChange(kind, file.Path(), file.Stat(), file.Opened());
    // The file's own bytes, valid until its next change: the record is encoded before. They
    // are the bytes the change rewrites or cuts: the tag with its Enhanced TAG block, or the
    // last 128 bytes of a file without a tag.
    const QByteArrayView end = file.EndBytes();
    const QByteArrayView last = end.last(std::max(kTagSize, ReadTagEnd(end).size));
    change.oldLast = QByteArray::fromRawData(last.data(), last.size());
    return change;
}

void JournalFiles::WriteTag(File& file, const TTagRecord& record) {
    ChangeRecord change = TagChange(file, ChangeKind::WriteTag);
    std::array<char, kTagSize + kEnhancedTagSize> built;
    const qsizetype size = BuildTagWrite(file.EndBytes(), record, built.data());
    change.newLast = QByteArray::fromRawData(built.data(), size);
    change.newSize = file.HasTag() ? change.size : change.size + kTagSize;
    Count(change);
    if (!holding_) {
        RecordNow(change);
        file.Shared()->real->WriteTag(record);
        journal_.AddDone(change.sequence, change.sequence);
        return;
    }
    journal_.AddChange(change);
    file.Foresee(change.newSize, built.data() + size - kTagSize);
    Held held;
    held.entry = entry_;
    held.sequence = change.sequence;
    held.kind = ChangeKind::WriteTag;
    held.handle = file.Shared();
    // A copy of the bytes, not of the fields, which would be shared with the run's working
    // record and copied anew when the next entry reads into it.
    held.record = held_.size();
    if (heldRecords_.size() <= held.record)
        heldRecords_.resize(held.record + 1);
    CopyValues(record, heldRecords_[held.record]);
    ++held.handle->held;
    Hold(std::move(held));
}

bool JournalFiles::RemoveTag(File& file) {
    if (!file.HasTag())
        return false;
    ChangeRecord change = TagChange(file, ChangeKind::RemoveTag);
    change.newSize = change.size - change.oldLast.size();
    Count(change);
    if (!holding_) {
        RecordNow(change);
        const bool removed = file.Shared()->real->RemoveTag();
        if (removed)
            journal_.AddDone(change.sequence, change.sequence);
        return removed;
    }
    journal_.AddChange(change);
    // What ends the file once the tag is cut is not read here: asking for it makes the cut.
    file.Foresee(change.newSize, nullptr);
    Held held;
    held.entry = entry_;
    held.sequence = change.sequence;
    held.kind = ChangeKind::RemoveTag;
    held.handle = file.Shared();
    ++held.handle->held;
    Hold(std::move(held));
    return true;
}

void JournalFiles::Hold(Held held) {
    if (held_.empty())
        heldSince_.start();
    held_.push_back(std::move(held));
}

void JournalFiles::RecordNow(const ChangeRecord& change) {
    journal_.AddChange(change);
    journal_.Flush();
}

void JournalFiles::Count(const ChangeRecord& change) {
    changedFiles_.emplace_back(change.device, change.inode);
}

ChangeRecord JournalFiles::NewChange(ChangeKind kind, const QString& path, const FileStat& now,
                                     const FileStat& seen) {
    ChangeRecord change;
    change.sequence = ++sequence_;
    change.kind = kind;
    change.device = now.device;
    change.inode = now.inode;
    change.path = path;
    change.size = now.size;
    change.mode = now.mode;
    change.newSize = now.size;
    change.newMode = now.mode;
    const FileStat* first = &seen;
    for (const Opened& opened : opened_) {
        if (SameFile(opened.first, seen))
            first = &opened.first;
    }
    change.atimeNsec = first->atimeNsec;
    change.mtimeNsec = first->mtimeNsec;
    return change;
}

void JournalFiles::BeginEntry(int i) {
    entry_ = i;
    opened_.clear();
}

void JournalFiles::SetHolding(bool hold) {
    holding_ = hold;
}

bool JournalFiles::HoldsChanges() const {
    return !held_.empty();
}

bool JournalFiles::WantsCommit() const {
    return !held_.empty() &&
           (qsizetype(held_.size()) >= limits_.changes || heldSince_.hasExpired(limits_.msec));
}

bool JournalFiles::Make(Held& held) {
    try {
        switch (held.kind) {
        case ChangeKind::WriteTag:
            if (!held.handle->real->StillAsRead())
                return false;
            held.handle->real->WriteTag(heldRecords_[held.record]);
            break;
        case ChangeKind::RemoveTag:
            if (!held.handle->real->StillAsRead() || !held.handle->real->RemoveTag())
                return false;
            break;
        case ChangeKind::Rename:
            if (!files_.Rename(held.from, held.to))
                return false;
            NameMoved(held.from, held.to);
            break;
        case ChangeKind::ClearReadOnly:
            return false; // never held
        }
        Handle* handle = held.handle.get();
        if (handle && held.kind != ChangeKind::Rename && --handle->held == 0 &&
            handle->closeAsked && !handle->closed) {
            handle->closed = true;
            handle->real->Close();
        }
        return true;
    } catch (const IoError&) {
        return false;
    }
}

std::optional<int> JournalFiles::Commit() {
    if (held_.empty())
        return std::nullopt;
    try {
        journal_.Flush();
    } catch (const IoError&) {
        DropHeld();
        throw;
    }
    std::optional<int> cut;
    const quint32 first = held_.front().sequence;
    quint32 made = 0;
    for (Held& held : held_) {
        if (!Make(held)) {
            cut = held.entry;
            break;
        }
        made = held.sequence;
    }
    if (made != 0)
        journal_.AddDone(first, made);
    DropHeld();
    return cut;
}

void JournalFiles::DropHeld() {
    for (Held& held : held_) {
        if (held.handle)
            held.handle->held = 0;
    }
    held_.clear();
    names_.clear();
}

void JournalFiles::Finish() {
    std::sort(changedFiles_.begin(), changedFiles_.end());
    const auto files = std::unique(changedFiles_.begin(), changedFiles_.end());
    journal_.Finish(RunEnd{int(files - changedFiles_.begin()), int(sequence_)});
}

} // namespace vantuke
