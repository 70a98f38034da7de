#include "journal/JournalFiles.h"

#include "convert/PathNames.h"
#include "platform/Directory.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "tag/TagBytes.h"

#include <array>
#include <utility>

namespace vantuke {

namespace {

// The longest file name (one path component) Linux file systems take, in bytes.
constexpr qsizetype kMaxNameBytes = 255;

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
    TTagRecord record;              // a tag write
    QString from;                   // a rename
    QString to;
    FileStat source; // a rename: the file as it was named from
};

// The file a step opened for a change. While changes are held for it, it answers as the file
// will be once they are made.
class JournalFiles::File final : public TagFile {
public:
    File(JournalFiles& owner, std::shared_ptr<Handle> handle, QString path)
        : owner_(owner), handle_(std::move(handle)), path_(std::move(path)) {}
    ~File() override { handle_->closeAsked = true; }

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
    const FileStat& opened = real->Stat();
    const QPair<quint64, quint64> key{opened.device, opened.inode};
    if (!firstSeen_.contains(key))
        firstSeen_.insert(key, opened);
    auto handle = std::make_shared<Handle>(std::move(real));
    opened_.insert(path, handle);
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
    if (const std::optional<FileStat> target = Stat(to)) {
        // A new letter case on a volume that does not tell case apart: the name is the
        // file's own.
        return sameFolder && SameFile(*target, source);
    }
    return sameFolder || IsFolder(to.first(nameStart));
}

bool JournalFiles::Rename(const QString& from, const QString& to) {
    const std::optional<FileStat> source = Stat(from);
    if (!source || !MayTakeName(from, to, *source))
        return false;
    ChangeRecord change;
    change.sequence = ++sequence_;
    change.kind = ChangeKind::Rename;
    change.device = source->device;
    change.inode = source->inode;
    change.path = from;
    change.newPath = to;
    change.size = source->size;
    change.mode = source->mode;
    change.newSize = source->size;
    change.newMode = source->mode;
    // The entry holding the file open keeps it locked until the rename is made, and knows
    // its times from before the entry read it.
    std::shared_ptr<Handle> handle = opened_.value(from).lock();
    const FileStat& times =
        handle && SameFile(handle->real->Stat(), *source) ? handle->real->Stat() : *source;
    change.atimeNsec = times.atimeNsec;
    change.mtimeNsec = times.mtimeNsec;
    Count(change);
    if (!holding_) {
        RecordNow(change);
        const bool renamed = files_.Rename(from, to);
        if (renamed)
            journal_.AddDone(change.sequence, change.sequence);
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
    held.source = *source;
    Hold(std::move(held));
    names_.insert(from, std::nullopt);
    names_.insert(to, *source);
    return true;
}

bool JournalFiles::ClearReadOnly(const QString& path) {
    if (names_.contains(path))
        RequestCommit();
    const std::optional<FileStat> target = StatTarget(path);
    if (!target || !target->IsReadOnly())
        return false;
    // The held changes are made first; then this one is recorded on its own and made at
    // once, as is the rest of this entry.
    RequestCommit();
    ChangeRecord change;
    change.sequence = ++sequence_;
    change.kind = ChangeKind::ClearReadOnly;
    change.device = target->device;
    change.inode = target->inode;
    change.path = path;
    change.size = target->size;
    change.mode = target->mode;
    SetTimesBefore(change, *target);
    change.newSize = target->size;
    change.newMode = target->mode | FileStat::kOwnerWrite;
    Count(change);
    RecordNow(change);
    const bool cleared = files_.ClearReadOnly(path);
    if (cleared)
        journal_.AddDone(change.sequence, change.sequence);
    return cleared;
}

ChangeRecord JournalFiles::TagChange(File& file, ChangeKind kind) {
    const FileStat& now = file.Stat();
    ChangeRecord change;
    change.sequence = ++sequence_;
    change.kind = kind;
    change.device = now.device;
    change.inode = now.inode;
    change.path = file.Path();
    change.size = now.size;
    change.mode = now.mode;
    SetTimesBefore(change, file.Opened());
    change.oldLast = file.LastBytes().toByteArray();
    change.newMode = now.mode;
    return change;
}

void JournalFiles::WriteTag(File& file, const TTagRecord& record) {
    ChangeRecord change = TagChange(file, ChangeKind::WriteTag);
    change.newLast = BuildTag(record);
    change.newSize = IsTagMarker(change.oldLast) ? change.size : change.size + kTagSize;
    Count(change);
    if (!holding_) {
        RecordNow(change);
        file.Shared()->real->WriteTag(record);
        journal_.AddDone(change.sequence, change.sequence);
        return;
    }
    journal_.AddChange(change);
    file.Foresee(change.newSize, change.newLast.constData());
    Held held;
    held.entry = entry_;
    held.sequence = change.sequence;
    held.kind = ChangeKind::WriteTag;
    held.handle = file.Shared();
    held.record = record;
    ++held.handle->held;
    Hold(std::move(held));
}

bool JournalFiles::RemoveTag(File& file) {
    if (!file.HasTag())
        return false;
    ChangeRecord change = TagChange(file, ChangeKind::RemoveTag);
    change.newSize = change.size - kTagSize;
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
    changedFiles_.insert({change.device, change.inode});
}

void JournalFiles::SetTimesBefore(ChangeRecord& change, const FileStat& now) const {
    const FileStat& first = firstSeen_.value({now.device, now.inode}, now);
    change.atimeNsec = first.atimeNsec;
    change.mtimeNsec = first.mtimeNsec;
}

void JournalFiles::BeginEntry(int i) {
    entry_ = i;
    opened_.clear();
    firstSeen_.clear();
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
            held.handle->real->WriteTag(held.record);
            break;
        case ChangeKind::RemoveTag:
            if (!held.handle->real->StillAsRead() || !held.handle->real->RemoveTag())
                return false;
            break;
        case ChangeKind::Rename: {
            const std::optional<FileStat> now = files_.Stat(held.from);
            if (!now || !SameFile(*now, held.source) || !files_.Rename(held.from, held.to))
                return false;
            break;
        }
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
    journal_.Finish(RunEnd{int(changedFiles_.size()), int(sequence_)});
}

} // namespace vantuke
