#pragma once

#include "ProgressLine.h"
#include "batch/BatchHost.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace vantuke::cli {

// Answers that cannot be read: a line longer than kMaxAnswerBytes (say, /dev/zero as the
// answers) or a read error. It ends the run; main prints the message.
class AnswerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How the run is shown: quiet prints only error lines and the last line; progress draws
// a progress line on the prompt stream (a terminal) for long runs; outputToTerminal says
// the status lines go to that same terminal, so the progress line steps aside for them.
struct TerminalDisplay {
    bool quiet = false;
    bool progress = false;
    bool outputToTerminal = false;
};

// The batch host of the command line: status lines go to the output stream (buffered, one
// line per status line, each path with its own bytes), questions go to the prompt stream and
// their answers are read line by line from the answer stream. The end of the answers where
// one is needed stops the run as Cancel / Abort would, and is said on the prompt stream with
// the file's path (AnswersEnded).
class TerminalHost : public BatchHost {
public:
    // The longest answer line, its line end not counted.
    static constexpr qsizetype kMaxAnswerBytes = 64 * 1024;

    TerminalHost(std::FILE* output, std::FILE* prompts, std::FILE* answers,
                 TerminalDisplay display = {})
        : output_(output), prompts_(prompts), answers_(answers), display_(display),
          progress_(prompts) {}

    void LogLine(const QString& line) override;
    void LogLineOf(LineKind kind, const QString& line) override;
    // The output starts empty and holds one run, so there is nothing to clear.
    void ClearLog() override {}
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    ConfirmAnswer ConfirmTagRemoval(const QString& path) override;
    QueryResult AskTag(TagQuery& query) override;
    // A line on the prompt stream beside the run's own (a dry run's note): after the status
    // lines so far, on a line of its own, the path in it with its own bytes.
    void Remark(const QString& line);
    // True when the answers ended where one was needed: no answer could be had.
    bool AnswersEnded() const { return answersEnded_; }

private:
    void Write(const QString& line);
    void Prompt(const QString& text);
    // The next answer line without its line end; nothing at the end of the answers. Throws
    // AnswerError.
    std::optional<QString> ReadAnswer();
    // The answers ended where the question about path needed one.
    void NoAnswer(const QString& path);

    std::FILE* output_;
    std::FILE* prompts_;
    std::FILE* answers_;
    TerminalDisplay display_;
    ProgressLine progress_;
    // A status line's bytes and its line end, reused from line to line.
    QByteArray lineBytes_;
    bool answersEnded_ = false;
};

} // namespace vantuke::cli
