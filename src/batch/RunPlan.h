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
    Transliterated = 1u << 12,     // characters the code page lacks are transliterated
    BytesNotInCodePage = 1u << 13, // the tag read holds bytes that are no characters of the
                                   // code page
    NoId3v2 = 1u << 15,            // the file has no ID3v2 tag to copy from
    Id3v2NotCopied = 1u << 16,     // an ID3v2 value the ID3v1 tag cannot hold
    Id3v2Unreadable = 1u << 17,    // the file's ID3v2 tag cannot be read
};

// The 128 bytes of a tag.
using RawTag = std::array<char, kTagSize>;

// The documents about a run (JSON, CSV) go out in pieces of about this size as the entries
// come, so that a long run needs no room for all of it.
inline constexpr qsizetype kDocumentPieceSize = 64 * 1024;

// The names of a tag's text fields in the documents about a run (JSON, CSV), in the tag's
// order; the genre is "genre".
inline constexpr std::array<const char*, kTextFields.size()> kTagFieldKeys{
    "song_name", "artist", "album", "year", "comment"};

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
};

// One line about a plan: "12 files: 9 renamed, 2 names taken, 1 without a tag", and how it
// ends when it does not reach the end.
QString PlanSummary(const RunPlan& plan, int entryCount);
// Where an I/O error ends the run and why: "The run will stop at file 1 of 21: File access
// denied: PATH" ("stopped" after a real run). Empty when no I/O error ends it.
QString PlanStopText(const RunPlan& plan, int entryCount);

} // namespace vantuke
