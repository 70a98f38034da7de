#pragma once

#include "batch/TagRows.h"
#include "convert/Adjust.h"
#include "convert/FilenameToTag.h"
#include "convert/PlaylistEntries.h"
#include "convert/ProgramOptions.h"

#include <QList>
#include <QString>
#include <array>

namespace vantuke {

// The seven processes, in the order of their tabs (the process index 0 to 6).
enum class Process {
    TagToFilename = 0,
    FilenameToTag,
    Tag,
    UnTag,
    ListFiles,
    AdjustFileName,
    Id3v2ToTag
};
inline constexpr int kProcessCount = 7;

// The tab caption of a process: "TAG>Filename", "Filename>TAG", "TAG", "UnTAG",
// "List files/TAGs", "Adjust FileName", "ID3v2>TAG".
QString ProcessCaption(Process process);
// "Process selected: " and the caption: the status box's line for a process chosen or a run
// started.
QString ProcessSelectedLine(Process process);

// The "TAG" page: a value, an "Ask:" box and a "Leave:" box per field. At first every field
// is asked, and left only where the field says so.
struct TagFillOptions {
    FieldTexts values;
    int track = 0;  // the page's track; 0 none
    int genre = -1; // the page's genre selection; -1 none
    std::array<bool, kTagFillRows> ask = [] {
        std::array<bool, kTagFillRows> boxes{};
        boxes.fill(true);
        return boxes;
    }();
    std::array<bool, kTagFillRows> leave = [] {
        std::array<bool, kTagFillRows> boxes{};
        for (int row = 0; row < kTagFillRows; ++row)
            boxes[std::size_t(row)] = kTagFields[std::size_t(row)].leftByDefault;
        return boxes;
    }();

    // A field is asked when its "Ask:" box is checked and its "Leave:" box is not.
    static bool AskedWith(bool askBox, bool leaveBox) { return askBox && !leaveBox; }
    bool Asked(int row) const { return AskedWith(ask[row], leave[row]); }
    bool AnyAsked() const {
        for (int row = 0; row < kTagFillRows; ++row) {
            if (Asked(row))
                return true;
        }
        return false;
    }

    bool operator==(const TagFillOptions&) const = default;
};

// The "ID3v2>TAG" page: per field "Copy" or "Leave" (as the "TAG" page's "Leave:" boxes),
// and whether only empty fields are filled and whether a file without an ID3v1 tag gets one.
struct Id3v2ToTagOptions {
    std::array<bool, kTagFillRows> leave{};
    bool onlyEmpty = false; // "Only fill fields that are empty in the ID3v1 tag"
    bool createTag = true;  // "Create an ID3v1 tag where there is none"

    bool operator==(const Id3v2ToTagOptions&) const = default;
};

// The texts the "TAG>Filename" and "List files/TAGs" boxes show when the window is created,
// and so the templates of a run that is given none.
inline const QString kTagToFilenameInitialText = QStringLiteral("%2 - %1");
inline const QString kListInitialText = QStringLiteral("File %7.%9 were made by %2");

// Everything a run reads, collected from the window (or the command line) when it starts.
struct BatchOptions {
    Process process = Process::TagToFilename;
    bool clearStatus = false; // "Every change/start clear status box"
    ProgramOptions program;

    // "TAG>Filename"
    QString tagToFilenameTemplate = kTagToFilenameInitialText;
    // "Filename>TAG"
    FilenameToTagOptions filenameToTag;
    bool writeTagOnlyWhenNotPresent = true;
    // "TAG"
    TagFillOptions tagFill;
    // "UnTAG"
    bool untagConfirmation = false;
    // "List files/TAGs"
    QString listTemplate = kListInitialText;
    bool listShowProcessing = false; // "Display "Processing file ..." message"
    // "Adjust FileName"
    QList<Substitution> substitutions{Substitution{}};
    // "ID3v2>TAG"
    Id3v2ToTagOptions id3v2ToTag;

    // The playlists the entries were taken from, as read: the ones a run updates when it
    // renames files they list ("UpdatePlaylists").
    QList<Playlist> playlists;

    bool operator==(const BatchOptions&) const = default;
};

} // namespace vantuke
