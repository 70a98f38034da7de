#pragma once

#include "batch/BatchOptions.h"
#include "platform/IoError.h"
#include "tag/TagBytes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace vantuke {

// What an entry does to its file.
enum class PlanAction { None, Rename, WriteTag, RemoveTag, List };

// The kinds of note an entry can carry, as bits.
enum class PlanNote : quint32 {
    NoTag = 1,                     // the file has no tag
    NameTaken = 2,                 // a rename fails: another file has the name
    NotRenamed = 4,                // a rename fails for another reason
    FieldCut = 8,                  // a text is cut to its field's capacity
    NotInCodePage = 16,            // a text holds characters the code page lacks
    AskedAtRunTime = 32,           // a question the run asks (a dry run answers it itself)
    ReadOnlyCleared = 64,          // the file's read-only mode is cleared
    NotMp3 = 128,                  // refused: the file is no MP3 file
    Failed = 256,                  // an I/O error, skipped by "Skip files that fail and go on"
    FieldEmptied = 512,            // a field that held a value is written empty
    NotATrack = 1u << 10,          // a name's track is none from 1 to 255 and is not taken
    TagBlock = 1u << 11,           // a block before the tag is cut with it, changed, or left
                                   // without it
    Transliterated = 1u << 12,     // characters the code page lacks are transliterated
    BytesNotInCodePage = 1u << 13, // the tag read holds bytes that are no characters of the
                                   // code page
    NoId3v2 = 1u << 15,            // the file has no ID3v2 tag to copy from
    Id3v2NotCopied = 1u << 16,     // an ID3v2 value the ID3v1 tag cannot hold
    Id3v2Unreadable = 1u << 17,    // the file's ID3v2 tag cannot be read
};

// The documents about a run (JSON, CSV) go out in pieces of about this size as the entries
// come, so that a long run needs no room for all of it.
inline constexpr qsizetype kDocumentPieceSize = 64 * 1024;

// One entry of a run as it went (or, in a dry run, would go).
struct PlanItem {
    int number = 0; // the entry's file number, counted from 1
    QString path;   // the entry's path when the run reached it
    PlanAction action = PlanAction::None;
    QString newPath;                 // where a rename took the file
    std::optional<RawTag> tagBefore; // the tag the file had when the entry first looked
    std::optional<RawTag> tagAfter;  // the tag the entry wrote
    QStringList notes;
    quint32 noteKinds = 0; // PlanNote bits of the notes

    bool Has(PlanNote kind) const { return (noteKinds & quint32(kind)) != 0; }
};

// What a run did, or would do, to one playlist that lists files it renamed.
struct PlaylistPlan {
    enum class Outcome {
        Updated, // its entries of the renamed files follow the new names
        Stale,   // not updated ("UpdatePlaylists" off): it still names the old paths
        Changed, // changed on disk since it was read, and left alone
        Failed,  // could not be updated (error)
    };
    QString path;
    int entries = 0; // its entries that name renamed files
    Outcome outcome = Outcome::Updated;
    QString error; // Failed: why

    bool operator==(const PlaylistPlan&) const = default;
};

// The line about a playlist, as the status box, the notes and the Preview show it:
// "Playlist updated: PATH (3 entries)", "Playlist not updated: PATH (3 entries still name
// the old paths)", "Playlist PATH changed since it was read; left alone", "Cannot update
// playlist PATH: WHY".
QString PlaylistLine(const PlaylistPlan& playlist);

// What a run did, or a dry run would do: one item per entry it reached, in order, and how
// it ended.
struct RunPlan {
    Process process = Process::TagToFilename;
    bool dryRun = false;
    TagCodec codec; // the code page the tags' texts are read in
    int errorCount = 0;
    // Reached its "Process Complete!" line: not stopped by an answer, not ended by an I/O
    // error.
    bool complete = false;
    // The I/O error that ended the run (its entry is the last item).
    std::optional<IoError> ioError;
    QList<PlanItem> items;
    // The playlists it updated, would update, or leaves naming the old paths, in the order
    // they were added.
    QList<PlaylistPlan> playlists;
};

// One line about a plan: "12 files: 9 renamed, 2 names taken, 1 without a tag", and how it
// ends when it does not reach the end.
QString PlanSummary(const RunPlan& plan, int entryCount);
// Where an I/O error ends the run and why: "The run will stop at file 1 of 21: File access
// denied: PATH" ("stopped" after a real run). Empty when no I/O error ends it.
QString PlanStopText(const RunPlan& plan, int entryCount);

} // namespace vantuke
