// vantuke-cli: runs one process over files given on the command line and prints the lines
// the status box would show.
#include "CliRequest.h"
#include "CliRun.h"
#include "TerminalHost.h"
#include "batch/ExecuteBatch.h"
#include "batch/PlanCsv.h"
#include "batch/PlanJson.h"
#include "batch/RecordBatch.h"
#include "batch/TagFill.h"
#include "convert/PathNames.h"
#include "journal/History.h"
#include "journal/Undo.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/Locations.h"
#include "platform/NameBytes.h"
#include "platform/Streams.h"
#include "settings/Settings.h"
#include "tag/CodePageGuess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

using namespace vantuke;
using namespace vantuke::cli;

namespace {

// 1 also for a run stopped by an explicit answer (!abort, c), 2 also for one that ended where
// no answer could be had (the end of input).
enum ExitCode { kDone = 0, kDoneWithErrors = 1, kIoError = 2, kUsage = 64 };

// A line on standard error; the paths in it keep their own bytes.
void PrintError(const QString& text) {
    const QByteArray bytes = NameToBytes(text + QLatin1Char('\n'));
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// Lines still buffered for standard output that cannot be written make the run a failure.
bool FlushOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    PrintError(QStringLiteral("vantuke-cli: cannot write standard output: ") +
               QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

// The version, then the settings file: the one --settings names, or else the window's.
void PrintVersion(const CliRequest& request) {
    const QString settings = request.settingsFile.isEmpty()
                                 ? FindSettingsFile().path
                                 : AbsolutePath(WorkingDir(), request.settingsFile);
    const QByteArray line =
        "vantuke-cli " VANTUKE_VERSION "\nSettings file: " + NameToBytes(settings) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

// File names are bytes: every argument keeps its own, whatever the locale says.
QStringList Arguments(int argc, char* argv[]) {
    QStringList args;
    args.reserve(argc);
    for (int i = 1; i < argc; ++i)
        args << NameFromBytes(argv[i]);
    return args;
}

// Values the command line gives that a field cannot hold whole are cut as they are written.
// A real run says so once per option, before the first file; a dry run notes it with each
// entry, as it notes a file name cut into a field.
void NoteCutValues(const BatchOptions& options, TerminalHost& terminal) {
    if (options.process != Process::Tag)
        return;
    FieldLosses losses;
    ValuesTag(options.tagFill.values, options.tagFill.track, options.tagFill.genre,
              options.program.codec, &losses);
    const QString page = options.program.codec.Page().ShownName();
    for (int row = 0; row < kTextFieldCount; ++row) {
        if (options.tagFill.leave[row])
            continue;
        for (const LossNote& note : LossNotes(losses, row, page))
            terminal.Remark(QStringLiteral("note: --") + FieldOption(row) + QStringLiteral(": ") +
                            note.text);
    }
}

int Run(CliRequest request) {
    BatchOptions options = BuildOptions(request);
    const QString cwd = WorkingDir();
    // Relative FILEs need the working folder; one removed under the program names nothing.
    if (cwd.isEmpty())
        throw IoError::FromErrno(ENOENT).WithPath(QStringLiteral("."));
    QStringList entries = BuildSelection(request, cwd, &options.playlists);
    // The sources are in the selection now; their room serves the run.
    request.sources = {};
    TerminalHost terminal(stdout, stderr, stdin,
                          {request.quiet, StandardErrorIsTerminal(), StandardOutputIsTerminal()});
    if (!request.dryRun)
        NoteCutValues(options, terminal);
    BatchResult result;
    if (!request.dryRun && !request.json && !request.csv) {
        result = ExecuteBatch(entries, options, terminal);
    } else {
        // With --json or --csv, standard output holds the document alone; questions still
        // go to standard error.
        const bool document = request.json || request.csv;
        MutedHost muted(&terminal);
        BatchHost& host = document ? static_cast<BatchHost&>(muted) : terminal;
        // Each entry is written out as it ends: the document, or the notes.
        const RunKind kind = request.dryRun ? RunKind::Dry : RunKind::Real;
        const auto toOutput = [](QByteArrayView piece) {
            std::fwrite(piece.data(), 1, size_t(piece.size()), stdout);
        };
        PlanJsonWriter json(options.process, request.dryRun, options.program.codec, toOutput);
        PlanCsvWriter csv(options.program.codec, toOutput);
        EntryDone entryDone;
        if (request.json)
            entryDone = [&json](const PlanItem& item) { json.Entry(item); };
        else if (request.csv)
            entryDone = [&csv](const PlanItem& item) { csv.Entry(item); };
        else
            entryDone = [&terminal](const PlanItem& item) {
                for (const QString& note : item.notes)
                    terminal.Remark(QStringLiteral("note: ") + ShownInOneLine(item.path) +
                                    QStringLiteral(": ") + note);
            };
        RunPlan plan;
        const auto finish = [&] {
            if (request.json)
                json.Finish(plan);
            else if (request.csv)
                csv.Finish();
        };
        try {
            result = RecordBatch(kind, entries, options, host, plan, entryDone);
        } catch (const IoError&) {
            // The document tells how far the run got; main reports the error itself.
            finish();
            throw;
        }
        finish();
        // Playlists left naming the old paths are a note, as the entries' notes are.
        if (!document) {
            for (const PlaylistPlan& playlist : std::as_const(plan.playlists)) {
                if (playlist.outcome == PlaylistPlan::Outcome::Stale)
                    terminal.Remark(QStringLiteral("note: ") + PlaylistLine(playlist));
            }
        }
    }
    if (!FlushOutput() || terminal.AnswersEnded())
        return kIoError;
    if (result.stopped)
        return kDoneWithErrors;
    return result.errorCount == 0 ? kDone : kDoneWithErrors;
}

// Writes UTF-8 text to standard output.
void Print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int ListCodePages() {
    for (const CodePage* page : CodePages())
        Print(page->Name().leftJustified(14) + page->HumanName() + QLatin1Char('\n'));
    return FlushOutput() ? kDone : kIoError;
}

// The likely code pages of the tags of the FILEs, best first, each with two tags read in it.
int GuessCodePage(CliRequest request) {
    const QString cwd = WorkingDir();
    if (cwd.isEmpty())
        throw IoError::FromErrno(ENOENT).WithPath(QStringLiteral("."));
    const CodePageGuess guess = GuessCodePageOf(BuildSelection(request, cwd));
    if (guess.TagCount() == 0) {
        PrintError(QStringLiteral("vantuke-cli: no tag among the files"));
        return kDoneWithErrors;
    }
    if (!guess.HasTextBeyondAscii()) {
        Print(QStringLiteral("The tags hold ASCII text only: every code page reads them "
                             "alike.\n"));
        return FlushOutput() ? kDone : kIoError;
    }
    for (const CodePageCandidate& candidate : guess.Candidates()) {
        Print(QStringLiteral("%1, confidence %2: %3\n")
                  .arg(candidate.page->Name())
                  .arg(candidate.confidence)
                  .arg(candidate.page->HumanName()));
        for (const QString& sample : candidate.samples)
            Print(QStringLiteral("    ") + ShownInOneLine(sample) + QLatin1Char('\n'));
    }
    return FlushOutput() ? kDone : kIoError;
}

int ListHistory() {
    TerminalHost out(stdout, stderr, stdin);
    for (const KeptRun& run : ListRuns(HistoryFolder()))
        out.LogLine(HistoryLine(run));
    return FlushOutput() ? kDone : kIoError;
}

int Undo(const CliRequest& request) {
    TerminalHost out(stdout, stderr, stdin);
    const UndoResult result = UndoRun(HistoryFolder(), request.undoRun, request.dryRun,
                                      [&out](const QString& line) { out.LogLine(line); });
    if (!FlushOutput())
        return kIoError;
    if (!result.refusal.isEmpty()) {
        PrintError(QStringLiteral("vantuke-cli: ") + result.refusal);
        return kDoneWithErrors;
    }
    if (result.ioError)
        return kIoError;
    return result.errorCount == 0 ? kDone : kDoneWithErrors;
}

} // namespace

int main(int argc, char* argv[]) {
    IgnoreFileSizeSignal();
    // One big buffer: a listing of many files is written in few system calls.
    // A person watching a terminal sees each line as it comes.
    static char outputBuffer[1 << 20];
    std::setvbuf(stdout, outputBuffer, StandardOutputIsTerminal() ? _IOLBF : _IOFBF,
                 sizeof outputBuffer);

    try {
        CliRequest request = ParseArguments(Arguments(argc, argv));
        if (request.action == CliRequest::Action::Help) {
            std::fputs(UsageText().toUtf8().constData(), stdout);
            return FlushOutput() ? kDone : kIoError;
        }
        if (request.action == CliRequest::Action::Version) {
            PrintVersion(request);
            return FlushOutput() ? kDone : kIoError;
        }
        if (request.action == CliRequest::Action::History)
            return ListHistory();
        if (request.action == CliRequest::Action::Undo)
            return Undo(request);
        if (request.action == CliRequest::Action::CodePages)
            return ListCodePages();
        if (request.action == CliRequest::Action::GuessCodePage)
            return GuessCodePage(std::move(request));
        return Run(std::move(request));
    } catch (const UsageError& error) {
        PrintError(QStringLiteral("vantuke-cli: ") + error.Message() + QLatin1String("\n"));
        std::fputs(UsageText().toUtf8().constData(), stderr);
        return kUsage;
    } catch (const IoError& error) {
        FlushOutput();
        PrintError(ErrorBoxText(error.Text()));
        // The error box shows the file under the message; so does the terminal.
        if (!error.Path().isEmpty())
            PrintError(ShownInOneLine(error.Path()));
        return kIoError;
    } catch (const AnswerError& error) {
        FlushOutput();
        PrintError(QStringLiteral("vantuke-cli: ") + QString::fromUtf8(error.what()));
        return kIoError;
    }
}
