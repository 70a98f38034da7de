#pragma once

#include "batch/BatchOptions.h"
#include "convert/Adjust.h"
#include "tag/CodePage.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <stdexcept>

namespace vantuke::cli {

// A command line the program cannot run; main prints the message and the usage.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& Message() const { return message_; }

private:
    QString message_;
};

// One FILE argument, --playlist or --files-from, in command-line order.
struct Source {
    enum class Kind {
        File,     // a file, or a folder whose MP3 files are added
        Playlist, // an .m3u, .m3u8 or .pls playlist whose entries are added
        FileList, // a list of FILEs, one per line (or NUL-separated); "-" is standard input
    };
    QString path;
    Kind kind = Kind::File;
};

// What the command line asks for. Options that were not given stay empty, so that the
// settings file (or the defaults) decide them.
struct CliRequest {
    // Run a process; print the help or the version; list the undo history; undo a run; list
    // the code pages; guess the code page of the FILEs' tags.
    enum class Action { Run, Help, Version, History, Undo, CodePages, GuessCodePage };
    Action action = Action::Run;

    Process process = Process::TagToFilename;
    QList<Source> sources;
    bool recursive = false;    // -r: folders with their subfolders
    bool nulSeparated = false; // -0: --files-from lists are NUL-separated
    bool quiet = false;        // -q: only error lines and the last line
    QString settingsFile;      // empty: the defaults of a first start
    bool noHistory = false;    // --no-history: this run keeps no undo history

    QString undoRun; // undo: the run's id; empty: the newest run not undone

    const CodePage* codePage = nullptr; // --code-page
    bool transliterate = false;         // --transliterate
    std::optional<int> extensionFormat;
    std::optional<int> numberOfDigits;
    bool keepReadOnly = false;
    bool skipFailed = false; // --skip-failed: an I/O error on a file is counted, the run goes on
    bool updatePlaylists = false; // --update-playlists
    bool dryRun = false; // --dry-run, -n: change nothing, show what the run (or undo) would do
    bool json = false;   // --json: print the run as one JSON document
    bool csv = false;    // --csv: print the tags a listing found as CSV

    std::optional<QString> tmpl; // --template of the process
    bool showProcessing = false;

    bool oldStyle = false;
    std::optional<QString> separator;
    std::optional<int> format;
    bool keepSpaces = false;
    bool overwrite = false;

    std::array<std::optional<QString>, kTextFieldCount> values; // in field order
    std::optional<int> track;                                   // 0: none
    std::optional<int> genre;
    std::array<bool, kTagFillRows> leave{};
    std::array<bool, kTagFillRows> ask{};
    // True when a value for the "TAG" row is given (--artist, --track, --genre and the like).
    bool Names(int row) const {
        switch (RowField(row).kind) {
        case FieldKind::Text:
            return values[std::size_t(row)].has_value();
        case FieldKind::Number:
            return track.has_value();
        case FieldKind::Genre:
            break;
        }
        return genre.has_value();
    }

    bool confirm = false;

    bool onlyEmpty = false; // id3v2-to-tag --only-empty
    bool noCreate = false;  // id3v2-to-tag --no-create

    QList<Substitution> replacements;
};

// Reads the arguments after the program name. Throws UsageError.
CliRequest ParseArguments(const QStringList& args);

// The option name of a "TAG" page row: "song-name" to "comment", "track", "genre".
QString FieldOption(int row);

// The help text of --help, also printed after a usage error.
QString UsageText();

} // namespace vantuke::cli
