#pragma once

#include "journal/JournalFormat.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace vantuke {

// Writes one run's journal into the history folder. Records gather in memory and go to the
// file, flushed to the disk, when Flush is called: the run calls it before it makes the
// changes recorded, so that every record is on the disk before its change. The folder and
// the file are made by the first flush that has a record to write, so a run that changes
// nothing leaves no journal. The file stays locked while the run goes on.
class JournalWriter {
public:
    JournalWriter(QString folder, RunHeader header);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    void AddChange(const ChangeRecord& change);
    void AddDone(quint32 first, quint32 last);
    void AddPlaylist(const PlaylistRecord& playlist);
    // Writes the records gathered and waits until they are on the disk. Throws IoError,
    // naming the journal or its folder; the records are then dropped, and every later flush
    // fails with the same error: nothing may follow a record that may be torn.
    void Flush();
    // The closing record and the last flush. A failure is not reported: the closing record
    // and the marks of changes made only spare a later reader some work.
    void Finish(const RunEnd& end);
    // The journal's path; empty before the first flush.
    QString Path() const;

private:
    void Create();

    QString folder_;
    RunHeader header_;
    QByteArray pending_;
    std::unique_ptr<RecordFile> file_;
    bool hasChange_ = false;
    std::optional<IoError> broken_;
};

} // namespace vantuke
