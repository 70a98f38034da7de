#include "CliRequest.h"
#include "convert/PlaylistEntries.h"
#include "tag/Genres.h"

#include <QSet>
#include <algorithm>
#include <initializer_list>

namespace vantuke::cli {

namespace {

struct NamedProcess {
    const char* name;
    Process process;
};

// In the order of the processes, so that a process indexes its own name.
constexpr NamedProcess kProcessNames[] = {
    {"tag-to-filename", Process::TagToFilename},
    {"filename-to-tag", Process::FilenameToTag},
    {"tag", Process::Tag},
    {"untag", Process::UnTag},
    {"list", Process::ListFiles},
    {"adjust", Process::AdjustFileName},
    {"id3v2-to-tag", Process::Id3v2ToTag},
};

} // namespace

QString FieldOption(int row) {
    return QLatin1String(RowField(row).option);
}

namespace {

// The option names of the rows, in row order: "song-name, artist, ...".
QString FieldOptions() {
    QStringList names;
    for (int row = 0; row < kTagFillRows; ++row)
        names << FieldOption(row);
    return names.join(QStringLiteral(", "));
}

QString CommandName(Process process) {
    return QString::fromLatin1(kProcessNames[static_cast<int>(process)].name);
}

int ParseInteger(const QString& option, const QString& value, int low, int high) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < low || number > high) {
        throw UsageError(QStringLiteral("%1 takes a number from %2 to %3, not \"%4\"")
                             .arg(option)
                             .arg(low)
                             .arg(high)
                             .arg(value));
    }
    return number;
}

// An empty value is no genre (-1, written as 255), as an empty text empties a text field.
int ParseGenre(const QString& value) {
    if (value.isEmpty())
        return -1;
    if (const std::optional<int> genre = GenreFromText(value))
        return *genre;
    throw UsageError(QStringLiteral("--genre takes a number from 0 to 147 or a genre name, not "
                                    "\"%1\"")
                         .arg(value));
}

// An empty value or 0 is no track.
int ParseTrack(const QString& value) {
    if (value.isEmpty())
        return 0;
    if (const std::optional<int> track = TrackFromText(value))
        return *track;
    throw UsageError(QStringLiteral("--track takes a number from 0 to %1 (0 or empty: no track), "
                                    "not \"%2\"")
                         .arg(kMaxTrack)
                         .arg(value));
}

int ParseField(const QString& option, const QString& value) {
    for (int row = 0; row < kTagFillRows; ++row) {
        if (value == FieldOption(row))
            return row;
    }
    throw UsageError(
        QStringLiteral("%1 takes one of %2, not \"%3\"").arg(option, FieldOptions(), value));
}

// Walks the arguments one by one; options may stand before or after the process name.
class Parser {
public:
    explicit Parser(const QStringList& args) : args_(args) {}

    CliRequest Parse() {
        // Nearly every argument of a long command line is a FILE.
        request_.sources.reserve(args_.size());
        while (next_ < args_.size()) {
            const QString arg = args_.at(next_++);
            if (optionsEnded_ || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-')))
                Positional(arg);
            else if (arg == QLatin1String("--"))
                optionsEnded_ = true;
            else if (Option(arg))
                return request_; // --help or --version: nothing else matters
        }
        if (!processGiven_)
            throw UsageError(QStringLiteral("no PROCESS given"));
        CheckOptionsFitProcess();
        return request_;
    }

private:
    void Positional(const QString& arg) {
        if (!processGiven_ && Command(arg))
            return;
        if (request_.action == CliRequest::Action::History)
            throw UsageError(QStringLiteral("history takes no FILE"));
        if (request_.action == CliRequest::Action::CodePages)
            throw UsageError(QStringLiteral("code-pages takes no FILE"));
        if (request_.action == CliRequest::Action::Undo) {
            if (!request_.undoRun.isEmpty())
                throw UsageError(QStringLiteral("undo takes one RUN"));
            request_.undoRun = arg;
            return;
        }
        if (!processGiven_) {
            for (const auto& entry : kProcessNames) {
                if (arg == QLatin1String(entry.name)) {
                    request_.process = entry.process;
                    processGiven_ = true;
                    return;
                }
            }
            throw UsageError(QStringLiteral("unknown PROCESS \"%1\"").arg(arg));
        }
        if (arg.isEmpty())
            throw UsageError(QStringLiteral("an empty FILE name"));
        // The guess takes playlists as FILEs; a process takes them with --playlist.
        const bool playlist =
            request_.action == CliRequest::Action::GuessCodePage && PlaylistKindOf(arg);
        request_.sources.append(
            Source{arg, playlist ? Source::Kind::Playlist : Source::Kind::File});
    }

    // "history", "undo", "code-pages" and "guess-code-page" in place of a process.
    bool Command(const QString& arg) {
        if (arg == QLatin1String("history"))
            request_.action = CliRequest::Action::History;
        else if (arg == QLatin1String("undo"))
            request_.action = CliRequest::Action::Undo;
        else if (arg == QLatin1String("code-pages"))
            request_.action = CliRequest::Action::CodePages;
        else if (arg == QLatin1String("guess-code-page"))
            request_.action = CliRequest::Action::GuessCodePage;
        else
            return false;
        processGiven_ = true;
        return true;
    }

    // Returns true when the run ends here (--help, --version).
    bool Option(const QString& arg) {
        QString name = arg;
        std::optional<QString> inlineValue;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('=')); eq > 0) {
            name = arg.left(eq);
            inlineValue = arg.mid(eq + 1);
        }
        const auto value = [&]() -> QString {
            if (inlineValue) {
                const QString v = *inlineValue;
                inlineValue.reset();
                return v;
            }
            if (next_ >= args_.size())
                throw UsageError(name + QStringLiteral(" needs a value"));
            return args_.at(next_++);
        };
        seen_.insert(name);

        if (name == QLatin1String("--help")) {
            request_.action = CliRequest::Action::Help;
            return true;
        }
        if (name == QLatin1String("--version")) {
            request_.action = CliRequest::Action::Version;
            return true;
        }
        if (name == QLatin1String("--ext")) {
            const QString ext = value();
            for (int i = 0; i <= kLastOptionPosition; ++i) {
                if (ext == QLatin1String(kExtensionForms[i]))
                    request_.extensionFormat = i;
            }
            if (!request_.extensionFormat)
                throw UsageError(QStringLiteral("--ext takes Mp3, mp3, MP3 or mP3"));
        } else if (name == QLatin1String("--code-page")) {
            const QString page = value();
            request_.codePage = FindCodePage(page);
            if (!request_.codePage)
                throw UsageError(QStringLiteral("unknown code page \"%1\"; the code pages are: %2")
                                     .arg(page, CodePageNames()));
        } else if (name == QLatin1String("--transliterate")) {
            request_.transliterate = true;
        } else if (name == QLatin1String("--digits")) {
            request_.numberOfDigits = ParseInteger(name, value(), 1, kLastOptionPosition + 1) - 1;
        } else if (name == QLatin1String("--files-from")) {
            const QString path = value();
            if (path.isEmpty())
                throw UsageError(QStringLiteral("--files-from needs a file name or -"));
            request_.sources.append(Source{path, Source::Kind::FileList});
        } else if (name == QLatin1String("-0") || name == QLatin1String("--null")) {
            request_.nulSeparated = true;
        } else if (name == QLatin1String("-r") || name == QLatin1String("--recursive")) {
            request_.recursive = true;
        } else if (name == QLatin1String("-q") || name == QLatin1String("--quiet")) {
            request_.quiet = true;
        } else if (name == QLatin1String("--keep-readonly")) {
            request_.keepReadOnly = true;
        } else if (name == QLatin1String("--skip-failed")) {
            request_.skipFailed = true;
        } else if (name == QLatin1String("--no-history")) {
            request_.noHistory = true;
        } else if (name == QLatin1String("--update-playlists")) {
            request_.updatePlaylists = true;
        } else if (name == QLatin1String("--dry-run") || name == QLatin1String("-n")) {
            request_.dryRun = true;
        } else if (name == QLatin1String("--json")) {
            request_.json = true;
        } else if (name == QLatin1String("--csv")) {
            request_.csv = true;
        } else if (name == QLatin1String("--settings")) {
            request_.settingsFile = value();
            if (request_.settingsFile.isEmpty())
                throw UsageError(QStringLiteral("--settings needs a file name"));
        } else if (name == QLatin1String("--playlist")) {
            const QString path = value();
            if (!PlaylistKindOf(path))
                throw UsageError(QStringLiteral("--playlist takes an .m3u, .m3u8 or .pls file"));
            request_.sources.append(Source{path, Source::Kind::Playlist});
        } else if (name == QLatin1String("--template")) {
            request_.tmpl = value();
        } else if (name == QLatin1String("--show-processing")) {
            request_.showProcessing = true;
        } else if (name == QLatin1String("--old-style")) {
            request_.oldStyle = true;
        } else if (name == QLatin1String("--separator")) {
            request_.separator = value();
        } else if (name == QLatin1String("--format")) {
            request_.format = ParseInteger(name, value(), -1, kLastOldStyleFormat);
        } else if (name == QLatin1String("--keep-spaces")) {
            request_.keepSpaces = true;
        } else if (name == QLatin1String("--overwrite")) {
            request_.overwrite = true;
        } else if (name == QLatin1String("--track")) {
            request_.track = ParseTrack(value());
        } else if (name == QLatin1String("--genre")) {
            request_.genre = ParseGenre(value());
        } else if (name == QLatin1String("--leave")) {
            request_.leave[ParseField(name, value())] = true;
        } else if (name == QLatin1String("--ask")) {
            request_.ask[ParseField(name, value())] = true;
        } else if (name == QLatin1String("--only-empty")) {
            request_.onlyEmpty = true;
        } else if (name == QLatin1String("--no-create")) {
            request_.noCreate = true;
        } else if (name == QLatin1String("--confirm")) {
            request_.confirm = true;
        } else if (name == QLatin1String("--replace")) {
            if (inlineValue)
                throw UsageError(QStringLiteral("--replace takes two values: WHAT WITH"));
            const QString what = value();
            request_.replacements.append(Substitution{what, value()});
        } else if (!PageValue(name, value)) {
            throw UsageError(QStringLiteral("unknown option \"%1\"").arg(name));
        }
        if (inlineValue)
            throw UsageError(name + QStringLiteral(" takes no value"));
        return false;
    }

    template <typename ValueFn> bool PageValue(const QString& name, ValueFn& value) {
        for (int row = 0; row < kTextFieldCount; ++row) {
            if (name == QStringLiteral("--") + FieldOption(row)) {
                request_.values[row] = value();
                return true;
            }
        }
        return false;
    }

    // Options that belong to one process may not be given with another.
    void CheckOptionsFitProcess() const {
        if (request_.action != CliRequest::Action::Run) {
            // The commands take no process option: undo takes --dry-run, the guess the options
            // that choose FILEs.
            QStringList allowed;
            QString command;
            switch (request_.action) {
            case CliRequest::Action::Undo:
                command = QStringLiteral("undo");
                allowed = {QStringLiteral("--dry-run"), QStringLiteral("-n")};
                break;
            case CliRequest::Action::GuessCodePage:
                command = QStringLiteral("guess-code-page");
                allowed = {QStringLiteral("-r"),         QStringLiteral("--recursive"),
                           QStringLiteral("--playlist"), QStringLiteral("--files-from"),
                           QStringLiteral("-0"),         QStringLiteral("--null")};
                if (request_.sources.isEmpty())
                    throw UsageError(QStringLiteral("guess-code-page needs a FILE"));
                break;
            case CliRequest::Action::CodePages:
                command = QStringLiteral("code-pages");
                break;
            default:
                command = QStringLiteral("history");
                break;
            }
            for (const QString& option : seen_) {
                if (!allowed.contains(option))
                    throw UsageError(
                        QStringLiteral("%1 does not apply to %2").arg(option, command));
            }
            return;
        }
        const auto only = [&](std::initializer_list<QString> options,
                              std::initializer_list<Process> processes) {
            for (const QString& name : options) {
                if (seen_.contains(name) && std::find(processes.begin(), processes.end(),
                                                      request_.process) == processes.end()) {
                    throw UsageError(QStringLiteral("%1 does not apply to %2")
                                         .arg(name, CommandName(request_.process)));
                }
            }
        };
        only({"--template"}, {Process::TagToFilename, Process::ListFiles, Process::FilenameToTag});
        only({"--show-processing"}, {Process::ListFiles});
        only({"--old-style", "--separator", "--format", "--keep-spaces", "--overwrite"},
             {Process::FilenameToTag});
        for (int row = 0; row < kTagFillRows; ++row)
            only({QStringLiteral("--") + FieldOption(row)}, {Process::Tag});
        only({QStringLiteral("--ask")}, {Process::Tag});
        only({QStringLiteral("--leave")}, {Process::Tag, Process::Id3v2ToTag});
        only({QStringLiteral("--only-empty"), QStringLiteral("--no-create")},
             {Process::Id3v2ToTag});
        only({"--confirm"}, {Process::UnTag});
        only({"--csv"}, {Process::ListFiles});
        only({"--replace"}, {Process::AdjustFileName});

        // The two styles of filename-to-tag take different options; mixing them is a
        // mistake that would silently write tags by the other style.
        const bool oldStyleOption = seen_.contains(QStringLiteral("--separator")) ||
                                    seen_.contains(QStringLiteral("--format")) ||
                                    seen_.contains(QStringLiteral("--keep-spaces"));
        if (oldStyleOption && !request_.oldStyle)
            throw UsageError(QStringLiteral("--separator, --format and --keep-spaces need "
                                            "--old-style"));
        // A field is left, or written: not both.
        for (int row = 0; row < kTagFillRows; ++row) {
            const QString field = QLatin1String(RowField(row).option);
            if (request_.leave[row] && (request_.ask[row] || request_.Names(row)))
                throw UsageError(
                    QStringLiteral("--leave %1 cannot be used with --%1 or --ask %1").arg(field));
        }
        if (request_.json && request_.csv)
            throw UsageError(QStringLiteral("--json and --csv cannot be used together"));
        if (request_.oldStyle && request_.tmpl)
            throw UsageError(QStringLiteral("--template cannot be used with --old-style"));
    }

    const QStringList& args_;
    qsizetype next_ = 0;
    bool optionsEnded_ = false;
    bool processGiven_ = false;
    QSet<QString> seen_;
    CliRequest request_;
};

} // namespace

CliRequest ParseArguments(const QStringList& args) {
    return Parser(args).Parse();
}

QString UsageText() {
    return QStringLiteral(
               R"(Usage: vantuke-cli [OPTIONS] PROCESS [FILE...]
       vantuke-cli history
       vantuke-cli undo [-n|--dry-run] [RUN]
       vantuke-cli code-pages
       vantuke-cli guess-code-page [-r] FILE|FOLDER|PLAYLIST...

Runs one process over the FILEs, in order, and prints the lines of the status box.
A FILE that is a folder adds the MP3 files in it (names ending in .mp3), sorted by
name; a FILE whose name ends in .mp3 is always taken as a file.
Every run that changes files keeps an undo history; history lists it, undo takes a
run back.

Processes:
  tag-to-filename   rename each tagged file after its tag
  filename-to-tag   write a tag taken from each file's name
  tag               write tag values to every file
  untag             cut the tag off each file
  list              print one line per tagged file
  adjust            rename each file by text substitutions
  id3v2-to-tag      fill each file's tag from its ID3v2 tag

Options for every process:
  --ext Mp3|mp3|MP3|mP3   letter case of the MP3 extension (default mp3)
  --digits 1..4           least number of digits of %N (default 2)
  --code-page NAME        the code page of the tags' texts (default
                          windows-1252; code-pages lists the names)
  --transliterate         write a character the code page lacks in Latin
                          letters instead of "?"
  --keep-readonly         do not make read-only files writable
  --skip-failed           a file that fails with an I/O error is an error line
                          and the run goes on (exit status 1, not 2)
  -n, --dry-run           change nothing: print the lines and give the exit status
                          the run would, and each note on standard error
  --json                  print one JSON document about the run (what each file
                          did or, with --dry-run, would do) instead of the lines
  --no-history            keep no undo history of this run
  --settings FILE         take the process's options from a Vantuke.Ini file;
                          options given here win
  --playlist FILE         add the files an .m3u, .m3u8 or .pls playlist names
                          (repeatable; in order with the FILEs)
  --update-playlists      rewrite the --playlist files that list files this run
                          renames, so they name the new names
  --files-from FILE       add the FILEs listed in FILE, one per line ("-":
                          standard input; repeatable; in order with the FILEs)
  -0, --null              --files-from lists are separated by NUL characters
  -r, --recursive         a folder adds the MP3 files of its subfolders too
  -q, --quiet             print only error lines and the last line
  --help                  show this help
  --version               show the version and the settings file

tag-to-filename:
  --template T            new name template (default "%2 - %1")
list:
  --template T            line template (default "File %7.%9 were made by %2")
  --show-processing       also print a "Processing file:" line per file
  --csv                   print the tags found as CSV instead of the lines: a
                          header row, then path and the six fields per tagged file
filename-to-tag:
  --template T            New Style template (default empty)
  --old-style             split the name at a separator instead
  --separator S           Old Style separator (default "-")
  --format N              Old Style format -1..7 (default 0)
  --keep-spaces           keep the spaces around the separator
  --overwrite             also convert files that already have a tag
tag:
  Changes only the fields named; every other field keeps the file's value.
  --song-name T  --artist T  --album T  --year T  --comment T
                          write this value (an empty T empties the field)
  --track N               write track number 1..255 (0 or empty: no track)
  --genre N|NAME          write genre number 0..147 or name (empty: no genre)
  --ask FIELD             ask for the value of each file (repeatable)
  --leave FIELD           keep the file's own value (repeatable; with --settings,
                          where the file's "Leave:" state is off)
                          FIELD: {FIELDS}
                          With --settings, the fields not named here take their
                          values and "Ask:"/"Leave:" states from the file.
untag:
  --confirm               ask before each removal: y(es), n(o), c(ancel)
adjust:
  --replace WHAT WITH     a substitution row (repeatable, applied in order)
id3v2-to-tag:
  Copies song-name (TIT2), artist (TPE1), album (TALB), year (TDRC, TYER or
  TDAT), comment (COMM) and genre (TCON) from the ID3v2 tag; a value the
  ID3v2 tag lacks leaves the field.
  --leave FIELD           keep the file's own value (repeatable)
  --only-empty            fill only fields that are empty in the tag
  --no-create             leave files without a tag as they are

Commands:
  history                 list the kept runs, newest first
  undo [RUN]              undo the newest run not undone yet, or RUN (its id)
  code-pages              list the code pages --code-page takes
  guess-code-page FILE... guess the code page of the tags of the FILEs (files,
                          folders, .m3u and .pls playlists): the likely code
                          pages, best first, each with two tags read in it
undo:
  -n, --dry-run           show what undo would do, change nothing
guess-code-page:
  -r, --recursive         a folder adds the MP3 files of its subfolders too

Exit status: 0 done without errors, 1 done with errors, 2 ended by an I/O
error or by answers that cannot be read, 64 wrong command line. For undo:
0 every file came back, 1 some were left alone or the undo was refused, 2 a
file failed with an I/O error.
)")
        .replace(QStringLiteral("{FIELDS}"), FieldOptions());
}

} // namespace vantuke::cli
