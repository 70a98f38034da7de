#include "TerminalHost.h"
#include "GenreText.h"
#include "batch/BatchOptions.h"
#include "tag/Genres.h"

#include <algorithm>
#include <array>
#include <string>

namespace vantuke::cli {

namespace {

// The rows of the query, as the dialog labels them; the genre is the last.
constexpr std::array<const char*, kTagFillRows> kLabels{"Song Name", "Artist",  "Album",
                                                        "Year",      "Comment", "Genre"};

QString ShownValue(const TagQuery& query, int row) {
    if (row < kGenreRow)
        return query.texts[row];
    return query.genre >= 0 && query.genre < kGenreCount ? GenreName(query.genre) : QString();
}

} // namespace

void TerminalHost::LogLine(const QString& line) {
    const size_t room = static_cast<size_t>(utf8_.requiredSpace(line.size())) + 1;
    if (lineBytes_.size() < room)
        lineBytes_.resize(room);
    char* end = utf8_.appendToBuffer(lineBytes_.data(), line);
    if (utf8_.hasError()) {
        // A lone surrogate: the encoder wrote U+FFFD for it, the output has "?" for it.
        utf8_.resetState();
        const QByteArray bytes = line.toUtf8();
        end = std::copy(bytes.cbegin(), bytes.cend(), lineBytes_.data());
    }
    *end++ = '\n';
    std::fwrite(lineBytes_.data(), 1, static_cast<size_t>(end - lineBytes_.data()), output_);
}

void TerminalHost::Prompt(const QString& text) {
    // The status lines so far belong before the question.
    std::fflush(output_);
    std::fputs(text.toUtf8().constData(), prompts_);
    std::fflush(prompts_);
}

std::optional<QString> TerminalHost::ReadAnswer() {
    std::string line;
    char chunk[512];
    bool gotAny = false;
    while (std::fgets(chunk, sizeof chunk, answers_)) {
        gotAny = true;
        line += chunk;
        if (!line.empty() && line.back() == '\n')
            break;
    }
    if (!gotAny)
        return std::nullopt;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return QString::fromStdString(line);
}

ConfirmAnswer TerminalHost::ConfirmTagRemoval(const QString& path) {
    Prompt(QStringLiteral("Remove TAG from file: ") + path + QStringLiteral(" ? [y/n/c] "));
    while (const std::optional<QString> answer = ReadAnswer()) {
        const QString word = answer->trimmed().toLower();
        if (word == QLatin1String("y") || word == QLatin1String("yes"))
            return ConfirmAnswer::Yes;
        if (word == QLatin1String("n") || word == QLatin1String("no"))
            return ConfirmAnswer::No;
        if (word == QLatin1String("c") || word == QLatin1String("cancel"))
            return ConfirmAnswer::Cancel;
        Prompt(QStringLiteral("Please answer y (yes), n (no) or c (cancel): "));
    }
    return ConfirmAnswer::Cancel;
}

QueryResult TerminalHost::AskTag(TagQuery& query) {
    Prompt(QStringLiteral("Processing file:") + query.path +
           QStringLiteral("\n(Enter keeps a value; \"!ignore\" skips this file, \"!abort\" "
                          "ends the run)\n"));
    // Nothing is stored until every asked field has its answer.
    TagQuery answered = query;
    bool first = true;
    for (int row = 0; row < kTagFillRows; ++row) {
        if (!query.enabled[row])
            continue;
        Prompt(QLatin1String(kLabels[row]) + QStringLiteral(" [") + ShownValue(query, row) +
               QStringLiteral("]: "));
        for (;;) {
            const std::optional<QString> answer = ReadAnswer();
            if (!answer)
                return QueryResult::Abort;
            if (first && *answer == QLatin1String("!ignore"))
                return QueryResult::Ignore;
            if (first && *answer == QLatin1String("!abort"))
                return QueryResult::Abort;
            if (answer->isEmpty())
                break;
            if (row < kGenreRow) {
                answered.texts[row] = *answer;
                break;
            }
            if (const std::optional<int> genre = GenreFromText(answer->trimmed())) {
                answered.genre = *genre;
                break;
            }
            Prompt(QStringLiteral("Unknown genre \"") + *answer +
                   QStringLiteral("\"; a number 0..147 or a name: "));
        }
        first = false;
    }
    query = answered;
    return QueryResult::Ok;
}

} // namespace vantuke::cli
