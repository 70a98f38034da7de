#include "batch/PlanRecorder.h"

#include "batch/TagRows.h"
#include "tag/Genres.h"

#include <algorithm>
#include <cerrno>

namespace vantuke {

// An entry's file, passing every call on and telling the recorder what happened.
class PlanRecorder::File final : public TagFile {
public:
    File(std::unique_ptr<TagFile> file, PlanRecorder& recorder)
        : file_(std::move(file)), recorder_(recorder) {}

    const FileStat& Stat() const override { return file_->Stat(); }
    QByteArrayView LastBytes() override {
        const QByteArrayView last = file_->LastBytes();
        recorder_.Looked(last);
        return last;
    }
    QByteArrayView EndBytes() override {
        const QByteArrayView end = file_->EndBytes();
        recorder_.Looked(end.last(kTagSize));
        return end;
    }
    void ReadAt(qint64 pos, char* out, qint64 n) const override { file_->ReadAt(pos, out, n); }
    void WriteTag(const TTagRecord& record) override {
        const std::array<int, kContinuedFields.size()> lost =
            ContinuationsLost(EndBytes(), record, recorder_.plan_.codec);
        file_->WriteTag(record);
        recorder_.Wrote(record);
        for (std::size_t k = 0; k < lost.size(); ++k) {
            if (lost[k] > 0)
                recorder_.Note(PlanNote::TagBlock,
                               QStringLiteral("%1: its continuation in the Enhanced TAG block "
                                              "emptied (%2 characters lost)")
                                   .arg(TagRowName(int(kContinuedFields[k])))
                                   .arg(lost[k]));
        }
    }
    bool RemoveTag() override {
        const TagEnd end = ReadTagEnd(EndBytes());
        const bool removed = file_->RemoveTag();
        if (removed) {
            recorder_.Removed();
            if (end.enhanced)
                recorder_.Note(PlanNote::TagBlock,
                               QStringLiteral("Enhanced TAG block cut with the tag"));
            if (end.lyrics)
                recorder_.Note(PlanNote::TagBlock,
                               QStringLiteral("Lyrics3v2 block left with no tag after it"));
        }
        return removed;
    }
    void Close() override { file_->Close(); }
    bool StillAsRead() override { return file_->StillAsRead(); }

private:
    std::unique_ptr<TagFile> file_;
    PlanRecorder& recorder_;
};

PlanRecorder::PlanRecorder(RunPlan& plan, const QStringList& entries) : plan_(plan) {
    if (plan.process == Process::TagToFilename || plan.process == Process::AdjustFileName) {
        holders_.reserve(entries.size());
        // The same path twice is one file: the first entry names it.
        for (qsizetype i = entries.size() - 1; i >= 0; --i)
            holders_.insert(entries.at(i), int(i) + 1);
    }
}

void PlanRecorder::BeginEntry(int i, const QString& path) {
    item_ = PlanItem();
    item_.number = i + 1;
    item_.path = path;
    inEntry_ = true;
    looked_ = false;
}

PlanItem PlanRecorder::EndEntry() {
    inEntry_ = false;
    if (plan_.process == Process::ListFiles && item_.tagBefore)
        item_.action = PlanAction::List;
    return std::move(item_);
}

void PlanRecorder::ForgetFrom(int number, int errorCount) {
    inEntry_ = false;
    for (qsizetype k = moved_.size() - 1; k >= 0 && moved_.at(k).number >= number; --k) {
        const Moved& moved = moved_.at(k);
        if (moved.before)
            holders_.insert(moved.name, *moved.before);
        else
            holders_.remove(moved.name);
        moved_.removeLast();
    }
    plan_.errorCount = errorCount;
}

void PlanRecorder::Move(int number, const QString& name, std::optional<int> holder) {
    const auto found = holders_.constFind(name);
    moved_.append(
        Moved{number, name, found == holders_.cend() ? std::nullopt : std::optional(*found)});
    if (holder)
        holders_.insert(name, *holder);
    else
        holders_.remove(name);
}

void PlanRecorder::Note(PlanNote kind, const QString& text) {
    if (!inEntry_)
        return;
    item_.notes.append(text);
    item_.noteKinds |= quint32(kind);
}

void PlanRecorder::Looked(QByteArrayView last) {
    if (looked_ || !inEntry_)
        return;
    looked_ = true;
    if (IsTagMarker(last)) {
        RawTag& tag = item_.tagBefore.emplace();
        std::copy_n(last.data(), kTagSize, tag.data());
        // The processes that read the tag's texts.
        if (plan_.process == Process::TagToFilename || plan_.process == Process::ListFiles ||
            plan_.process == Process::Tag)
            NoteBytesNotInCodePage(last);
    } else {
        Note(PlanNote::NoTag, QStringLiteral("no tag"));
    }
}

void PlanRecorder::NoteBytesNotInCodePage(QByteArrayView tag) {
    const CodePage& page = plan_.codec.Page();
    if (page.CoversEveryByte())
        return;
    qsizetype offset = kTagMarkerSize;
    for (const TagField field : kTextFields) {
        QByteArrayView bytes = tag.sliced(offset, FieldCapacity(field));
        bytes = bytes.first(qstrnlen(bytes.data(), size_t(bytes.size())));
        if (!page.IsValid(bytes))
            Note(PlanNote::BytesNotInCodePage, QStringLiteral("%1: bytes not valid in %2")
                                                   .arg(TagRowName(int(field)), page.ShownName()));
        offset += FieldCapacity(field);
    }
}

void PlanRecorder::Wrote(const TTagRecord& record) {
    if (!inEntry_)
        return;
    item_.action = PlanAction::WriteTag;
    BuildTag(record, item_.tagAfter.emplace().data());
    if (item_.tagBefore)
        NoteEmptied(*item_.tagBefore, record);
}

void PlanRecorder::NoteEmptied(const RawTag& before, const TTagRecord& after) {
    TTagRecord old;
    ParseTagFields(QByteArrayView(before.data(), kTagSize).sliced(kTagMarkerSize), old);
    for (const TagFieldInfo& info : kTagFields) {
        bool emptied = false;
        switch (info.kind) {
        case FieldKind::Text:
            emptied = !FieldText(old, info.field, plan_.codec).isEmpty() &&
                      FieldText(after, info.field, plan_.codec).isEmpty();
            break;
        case FieldKind::Number:
            emptied = old.Track != 0 && after.Track == 0;
            break;
        case FieldKind::Genre:
            emptied = old.Genre < kGenreCount && after.Genre >= kGenreCount;
            break;
        }
        if (emptied)
            Note(PlanNote::FieldEmptied, QLatin1String(info.name) + QStringLiteral(" emptied"));
    }
}

void PlanRecorder::Removed() {
    if (!inEntry_)
        return;
    item_.action = PlanAction::RemoveTag;
    item_.tagAfter.reset();
}

std::unique_ptr<TagFile> PlanRecorder::Open(const QString& path, OpenMode mode) {
    return std::make_unique<File>(files_->Open(path, mode), *this);
}

bool PlanRecorder::Rename(const QString& from, const QString& to) {
    if (!files_->Rename(from, to))
        return false;
    if (inEntry_) {
        item_.action = PlanAction::Rename;
        item_.newPath = to;
    }
    if (!holders_.isEmpty()) {
        const int number = inEntry_ ? item_.number : 0;
        if (holders_.value(from) == number)
            Move(number, from, std::nullopt);
        Move(number, to, number);
    }
    return true;
}

void PlanRecorder::RenameFailed(const QString& path, const QString& newPath) {
    QString why;
    PlanNote kind = PlanNote::NotRenamed;
    if (!files_->Stat(path)) {
        why = QStringLiteral("file not found");
    } else if (files_->Stat(newPath)) {
        kind = PlanNote::NameTaken;
        const int holder = holders_.value(newPath);
        why = holder > 0 && (!inEntry_ || holder != item_.number)
                  ? QStringLiteral("name taken by entry %1").arg(holder)
                  : QStringLiteral("name taken");
    } else {
        switch (RenameRefusal(path, newPath)) {
        case ENOENT:
        case ENOTDIR:
            why = QStringLiteral("folder missing");
            break;
        case ENAMETOOLONG:
            why = QStringLiteral("name too long");
            break;
        case EILSEQ:
            why = QStringLiteral("no valid name");
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            why = QStringLiteral("folder not writable");
            break;
        default:
            why = QStringLiteral("refused by the file system");
            break;
        }
    }
    Note(kind, QStringLiteral("cannot rename: ") + why);
}

bool PlanRecorder::ClearReadOnly(const QString& path) {
    const bool cleared = files_->ClearReadOnly(path);
    if (cleared)
        Note(PlanNote::ReadOnlyCleared, QStringLiteral("read-only mode cleared"));
    return cleared;
}

} // namespace vantuke
