#include "journal/JournalWriter.h"

#include "journal/History.h"
#include "platform/IoError.h"
#include "platform/Locations.h"

#include <cerrno>

namespace vantuke {

namespace {

// Runs that start in the same millisecond are told apart by a number; this many is plenty.
constexpr int kIdsPerMillisecond = 99;

} // namespace

JournalWriter::JournalWriter(QString folder, RunHeader header)
    : folder_(std::move(folder)), header_(std::move(header)) {
    // Room for a good many records, kept from flush to flush.
    pending_.reserve(1 << 20);
}

JournalWriter::~JournalWriter() = default;

void JournalWriter::AddChange(const ChangeRecord& change) {
    AppendChangeRecord(pending_, change);
    hasChange_ = true;
}

void JournalWriter::AddDone(quint32 first, quint32 last) {
    AppendDoneRecord(pending_, first, last);
}

void JournalWriter::AddPlaylist(const PlaylistRecord& playlist) {
    AppendPlaylistRecord(pending_, playlist);
    hasChange_ = true;
}

void JournalWriter::Create() {
    MakePrivateFolder(folder_);
    for (int n = 1;; ++n) {
        const QString path = JournalPath(folder_, RunId(header_.startMsec, n));
        try {
            file_ = std::make_unique<RecordFile>(path, RecordFile::How::CreateNew);
            break;
        } catch (const IoError& error) {
            if (error.ErrorKind() != IoError::Kind::System || error.Code() != EEXIST ||
                n == kIdsPerMillisecond)
                throw;
        }
    }
    // Undo refuses a journal whose run still holds it.
    file_->TryLock();
    QByteArray start;
    AppendJournalStart(start, header_);
    pending_.prepend(start);
}

void JournalWriter::Flush() {
    if (broken_)
        throw *broken_;
    if (pending_.isEmpty() || (!file_ && !hasChange_))
        return;
    try {
        if (!file_)
            Create();
        file_->Append(pending_);
        file_->Sync();
    } catch (const IoError& error) {
        pending_.resize(0);
        broken_ = error;
        throw;
    }
    pending_.resize(0);
}

void JournalWriter::Finish(const RunEnd& end) {
    if (!file_ || broken_)
        return;
    AppendEndRecord(pending_, end);
    try {
        Flush();
        file_->Close();
    } catch (const IoError&) {
    }
    file_.reset();
}

QString JournalWriter::Path() const {
    return file_ ? file_->Path() : QString();
}

} // namespace vantuke
