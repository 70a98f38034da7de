#include "journal/JournalFiles.h"

#include "tag/TagBytes.h"

#include <algorithm>
#include <array>

namespace vantuke {

namespace {

bool SameFile(const FileStat& a, const FileStat& b) {
    return a.device == b.device && a.inode == b.inode;
}

ChangeKind RecordKind(FileChange::Kind kind) {
    switch (kind) {
    case FileChange::Kind::WriteTag:
        return ChangeKind::WriteTag;
    case FileChange::Kind::RemoveTag:
        return ChangeKind::RemoveTag;
    case FileChange::Kind::Rename:
        return ChangeKind::Rename;
    case FileChange::Kind::ClearReadOnly:
        break;
    }
    return ChangeKind::ClearReadOnly;
}

// The journal's record of a change. Its bytes are the change's own, valid while it lives.
ChangeRecord RecordOf(const FileChange& change, quint32 sequence) {
    ChangeRecord record;
    record.sequence = sequence;
    record.kind = RecordKind(change.kind);
    record.device = change.before.device;
    record.inode = change.before.inode;
    record.path = change.path;
    record.newPath = change.newPath;
    record.size = change.before.size;
    record.mode = change.before.mode;
    record.atimeNsec = change.before.atimeNsec;
    record.mtimeNsec = change.before.mtimeNsec;
    const bool tagChange =
        change.kind == FileChange::Kind::WriteTag || change.kind == FileChange::Kind::RemoveTag;
    if (tagChange)
        record.oldLast = QByteArray::fromRawData(change.oldLast.data(), change.oldLastSize);
    if (change.kind == FileChange::Kind::WriteTag)
        record.newLast = QByteArray::fromRawData(change.newLast.data(), change.newLastSize);
    record.newSize = change.newSize;
    record.newMode = change.newMode;
    return record;
}

} // namespace

// A file an entry that runs at once opened for a change: each change is recorded and
// flushed, then made.
class JournalFiles::File final : public TagFile {
public:
    File(JournalFiles& owner, std::unique_ptr<TagFile> real, QString path, FileStat first)
        : owner_(owner), real_(std::move(real)), path_(std::move(path)), first_(first) {}

    const FileStat& Stat() const override { return real_->Stat(); }
    QByteArrayView LastBytes() override { return real_->LastBytes(); }
    QByteArrayView EndBytes() override { return real_->EndBytes(); }
    void ReadAt(qint64 pos, char* out, qint64 n) const override { real_->ReadAt(pos, out, n); }
    void WriteTag(const TTagRecord& record) override {
        TagWriteBytes built;
        const QByteArrayView bytes(built.data(), BuildTagWrite(EndBytes(), record, built.data()));
        const quint32 sequence =
            owner_.RecordNow(TagWrite(path_, Stat(), first_, EndBytes(), bytes));
        real_->WriteTagBytes(bytes);
        owner_.journal_.AddDone(sequence, sequence);
    }
    bool RemoveTag() override {
        if (!HasTag())
            return false;
        const quint32 sequence = owner_.RecordNow(TagCut(path_, Stat(), first_, EndBytes()));
        if (!real_->RemoveTag())
            return false;
        owner_.journal_.AddDone(sequence, sequence);
        return true;
    }
    void Close() override { real_->Close(); }
    bool StillAsRead() override { return real_->StillAsRead(); }

private:
    JournalFiles& owner_;
    std::unique_ptr<TagFile> real_;
    QString path_;
    FileStat first_;
};

JournalFiles::JournalFiles(FileSystem& files, JournalWriter& journal)
    : files_(files), journal_(journal) {}

const FileStat& JournalFiles::FirstSeen(const FileStat& now) const {
    for (const FileStat& first : opened_) {
        if (SameFile(first, now))
            return first;
    }
    return now;
}

std::unique_ptr<TagFile> JournalFiles::Open(const QString& path, OpenMode mode) {
    std::unique_ptr<TagFile> real = files_.Open(path, mode);
    if (mode != OpenMode::Change)
        return real;
    const FileStat& now = real->Stat();
    const FileStat first = FirstSeen(now);
    if (&FirstSeen(now) == &now) // the entry's first open of this file
        opened_.append(now);
    return std::make_unique<File>(*this, std::move(real), path, first);
}

bool JournalFiles::Rename(const QString& from, const QString& to) {
    const std::optional<FileStat> source = files_.Stat(from);
    if (!source)
        return false;
    // A name another file has is refused without a record; only the file itself under
    // another letter case (a volume blind to case) is tried.
    if (const std::optional<FileStat> target = files_.Stat(to);
        target && !(SameFile(*target, *source) && SameNameButCase(from, to)))
        return false;
    FileChange change = StartChange(FileChange::Kind::Rename, from, *source, FirstSeen(*source));
    change.newPath = to;
    const quint32 sequence = RecordNow(change);
    if (!files_.Rename(from, to))
        return false;
    journal_.AddDone(sequence, sequence);
    return true;
}

bool JournalFiles::ClearReadOnly(const QString& path) {
    const std::optional<FileStat> target = StatPath(path, true);
    if (!target || !target->IsReadOnly())
        return false;
    FileChange change = StartChange(FileChange::Kind::ClearReadOnly, path, *target, *target);
    change.newMode = target->mode | FileStat::kOwnerWrite;
    const quint32 sequence = RecordNow(change);
    if (!files_.ClearReadOnly(path))
        return false;
    journal_.AddDone(sequence, sequence);
    return true;
}

quint32 JournalFiles::Add(const FileChange& change) {
    journal_.AddChange(RecordOf(change, ++sequence_));
    changedFiles_.emplace_back(change.before.device, change.before.inode);
    return sequence_;
}

quint32 JournalFiles::RecordNow(const FileChange& change) {
    const quint32 sequence = Add(change);
    journal_.Flush();
    return sequence;
}

void JournalFiles::Record(const std::vector<PlannedChange>& planned) {
    firstRecorded_ = sequence_ + 1;
    for (const PlannedChange& change : planned)
        Add(change.change);
    journal_.Flush();
}

void JournalFiles::Made(qsizetype count) {
    if (count > 0)
        journal_.AddDone(firstRecorded_, firstRecorded_ + quint32(count) - 1);
}

void JournalFiles::Finish() {
    std::sort(changedFiles_.begin(), changedFiles_.end());
    const auto files = std::unique(changedFiles_.begin(), changedFiles_.end());
    journal_.Finish(RunEnd{int(files - changedFiles_.begin()), int(sequence_)});
}

} // namespace vantuke
