#pragma once

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

// The batch host of the command line: status lines go to the output stream (buffered, one
// line per status line, each path with its own bytes), questions go to the prompt stream and
// their answers are read line by line from the answer stream. The end of the answers counts
// as Cancel / Abort.
class TerminalHost : public BatchHost {
public:
    // The longest answer line, its line end not counted.
    static constexpr qsizetype kMaxAnswerBytes = 64 * 1024;

    TerminalHost(std::FILE* output, std::FILE* prompts, std::FILE* answers)
        : output_(output), prompts_(prompts), answers_(answers) {}

    void LogLine(const QString& line) override;
    // The output starts empty and holds one run, so there is nothing to clear.
    void ClearLog() override {}
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}
    ConfirmAnswer ConfirmTagRemoval(const QString& path) override;
    QueryResult AskTag(TagQuery& query) override;

private:
    void Prompt(const QString& text);
    // The next answer line without its line end; nothing at the end of the answers. Throws
    // AnswerError.
    std::optional<QString> ReadAnswer();

    std::FILE* output_;
    std::FILE* prompts_;
    std::FILE* answers_;
    // A status line's bytes and its line end, reused from line to line.
    QByteArray lineBytes_;
};

} // namespace vantuke::cli
