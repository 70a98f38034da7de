#include "TerminalHost.h"
#include "batch/BatchOptions.h"
#include "convert/PathNames.h"
#include "platform/NameBytes.h"
#include "tag/Genres.h"

#include <array>

namespace vantuke::cli {

namespace {

QString ShownValue(const TagQuery& query, int row) {
    switch (RowField(row).kind) {
    case FieldKind::Text:
        return query.texts[row];
    case FieldKind::Number:
        return TrackText(query.track);
    case FieldKind::Genre:
        break;
    }
    return query.genre >= 0 && query.genre < kGenreCount ? GenreName(query.genre) : QString();
}

// Takes an answer into the row's value; false when it is none the row takes.
bool TakeAnswer(TagQuery& answered, int row, const QString& answer) {
    switch (RowField(row).kind) {
    case FieldKind::Text:
        answered.texts[row] = answer;
        return true;
    case FieldKind::Number:
        if (const std::optional<int> track = TrackFromText(answer.trimmed())) {
            answered.track = *track;
            return true;
        }
        return false;
    case FieldKind::Genre:
        break;
    }
    if (const std::optional<int> genre = GenreFromText(answer.trimmed())) {
        answered.genre = *genre;
        return true;
    }
    return false;
}

// What is asked again after an answer the row does not take.
QString AskAgain(int row, const QString& answer) {
    const QString shown = QStringLiteral("\"") + ShownInOneLine(answer) + QStringLiteral("\"; ");
    if (RowField(row).kind == FieldKind::Number)
        return QStringLiteral("Not a track ") + shown +
               QStringLiteral("a number 1..%1, or 0 for none: ").arg(kMaxTrack);
    return QStringLiteral("Unknown genre ") + shown + QStringLiteral("a number 0..147 or a name: ");
}

} // namespace

void TerminalHost::LogLine(const QString& line) {
    if (!display_.quiet)
        Write(line);
}

void TerminalHost::LogLineOf(LineKind, const QString& line) {
    Write(line);
}

void TerminalHost::SetProgressMaximum(int maximum) {
    if (display_.progress)
        progress_.Start(maximum);
}

void TerminalHost::SetProgressPosition(int position) {
    if (display_.progress)
        progress_.Show(position);
}

void TerminalHost::Write(const QString& line) {
    if (display_.outputToTerminal)
        progress_.Erase();
    lineBytes_.resize(0);
    AppendNameBytes(lineBytes_, line);
    lineBytes_ += '\n';
    std::fwrite(lineBytes_.constData(), 1, size_t(lineBytes_.size()), output_);
}

void TerminalHost::Remark(const QString& line) {
    Prompt(line + QLatin1Char('\n'));
}

void TerminalHost::Prompt(const QString& text) {
    // The status lines so far belong before the question, and the question on a line of its
    // own.
    std::fflush(output_);
    progress_.Erase();
    const QByteArray bytes = NameToBytes(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), prompts_);
    std::fflush(prompts_);
}

std::optional<QString> TerminalHost::ReadAnswer() {
    QByteArray line;
    bool gotAny = false;
    for (int c; (c = std::getc(answers_)) != EOF;) {
        gotAny = true;
        if (c == '\n')
            break;
        if (line.size() == kMaxAnswerBytes)
            throw AnswerError("an answer line is longer than 64 KiB; the run ends here");
        line += char(c);
    }
    if (std::ferror(answers_))
        throw AnswerError("the answers cannot be read; the run ends here");
    if (!gotAny)
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    // Typed bytes that are not UTF-8 (a Latin-1 terminal) reach a tag field as those bytes.
    return NameFromBytes(line);
}

ConfirmAnswer TerminalHost::ConfirmTagRemoval(const QString& path) {
    Prompt(QStringLiteral("Remove TAG from file: ") + ShownInOneLine(path) +
           QStringLiteral(" ? [y/n/c] "));
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
    NoAnswer(path);
    return ConfirmAnswer::Cancel;
}

void TerminalHost::NoAnswer(const QString& path) {
    answersEnded_ = true;
    Prompt(QStringLiteral("\nvantuke-cli: end of input where an answer is needed: ") +
           ShownInOneLine(path) + QLatin1Char('\n'));
}

QueryResult TerminalHost::AskTag(TagQuery& query) {
    Prompt(QStringLiteral("Processing file:") + ShownInOneLine(query.path) +
           QStringLiteral("\n(Enter keeps a value; \"!ignore\" skips this file, \"!abort\" "
                          "ends the run)\n"));
    // Nothing is stored until every asked field has its answer.
    TagQuery answered = query;
    bool first = true;
    for (int row = 0; row < kTagFillRows; ++row) {
        if (!query.enabled[row])
            continue;
        Prompt(TagRowName(row) + QStringLiteral(" [") + ShownInOneLine(ShownValue(query, row)) +
               QStringLiteral("]: "));
        for (;;) {
            const std::optional<QString> answer = ReadAnswer();
            if (!answer) {
                NoAnswer(query.path);
                return QueryResult::Abort;
            }
            if (first && *answer == QLatin1String("!ignore"))
                return QueryResult::Ignore;
            if (first && *answer == QLatin1String("!abort"))
                return QueryResult::Abort;
            if (answer->isEmpty() || TakeAnswer(answered, row, *answer))
                break;
            Prompt(AskAgain(row, *answer));
        }
        first = false;
    }
    query = answered;
    return QueryResult::Ok;
}

} // namespace vantuke::cli
