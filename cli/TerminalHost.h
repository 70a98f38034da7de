#pragma once

#include "batch/BatchHost.h"

#include <QString>
#include <QStringEncoder>
#include <cstdio>
#include <optional>
#include <vector>

namespace vantuke::cli {

// The batch host of the command line: status lines go to the output stream (buffered, one
// line per status line), questions go to the prompt stream and their answers are read line
// by line from the answer stream. The end of the answers counts as Cancel / Abort.
class TerminalHost : public BatchHost {
public:
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
    // The next answer line without its line end; nothing at the end of the answers.
    std::optional<QString> ReadAnswer();

    std::FILE* output_;
    std::FILE* prompts_;
    std::FILE* answers_;
    // A status line's UTF-8 bytes and its line end, reused from line to line.
    QStringEncoder utf8_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    std::vector<char> lineBytes_;
};

} // namespace vantuke::cli
