#include "journal/History.h"

#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/Locations.h"

#include <QDateTime>
#include <QSet>
#include <algorithm>
#include <chrono>

namespace vantuke {

namespace {

const QString kJournalSuffix = QStringLiteral(".journal");
const QString kUndoneSuffix = QStringLiteral(".undone");
constexpr qint64 kDayMsec = 24LL * 60 * 60 * 1000;
// A journal is read whole only when its run did not end; this keeps a damaged size in
// bounds.
constexpr qint64 kMaxJournalSize = 1LL << 30;
// The header record is small; its caption is a process caption.
constexpr qint64 kHeaderBytes = 1024;

// The start time an id names ("yyyyMMdd-HHmmss-zzz" in UTC, then "-nn" when two runs started
// in the same millisecond), or nothing when the name is no id. Parsed by hand: a run prunes
// the history before it starts, and the date classes would look up the local time zone for
// each of its journals.
std::optional<qint64> StartOfId(const QString& id) {
    if (id.size() != 19 && id.size() != 22)
        return std::nullopt;
    auto digits = [&id](qsizetype at, qsizetype count) -> std::optional<int> {
        int value = 0;
        for (qsizetype k = at; k < at + count; ++k) {
            const char16_t c = id.at(k).unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    if (id.at(8) != u'-' || id.at(15) != u'-' || (id.size() == 22 && id.at(19) != u'-'))
        return std::nullopt;
    const auto year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
    const auto hour = digits(9, 2), minute = digits(11, 2), second = digits(13, 2);
    const auto msec = digits(16, 3);
    if (!year || !month || !day || !hour || !minute || !second || !msec ||
        (id.size() == 22 && !digits(20, 2)))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(unsigned(*month)),
                                           std::chrono::day(unsigned(*day))};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const qint64 days = std::chrono::sys_days(date).time_since_epoch().count();
    return ((days * 24 + *hour) * 60 + *minute) * 60000 + *second * 1000LL + *msec;
}

// The ids of the journals in the folder, newest first.
QStringList JournalIds(const QString& folder) {
    QStringList ids;
    ReadDirectory(folder, EntryDetail::KindOnly, [&ids](const DirEntry& entry) {
        if (entry.status.kind == FileKind::Regular && entry.name.endsWith(kJournalSuffix)) {
            const QString id = entry.name.chopped(kJournalSuffix.size());
            if (StartOfId(id))
                ids.append(id);
        }
        return true;
    });
    std::sort(ids.begin(), ids.end(), std::greater<>());
    return ids;
}

// Reads what the history shows of one journal: its header and closing record, and only when
// the run did not end, the whole journal to count its files.
std::optional<KeptRun> ReadRun(const QString& folder, const QString& id) {
    KeptRun run;
    run.id = id;
    const QString path = JournalPath(folder, id);
    try {
        OpenFile file(path, OpenMode::Read);
        const qint64 size = file.Size();
        QByteArray start(std::min(size, kHeaderBytes), Qt::Uninitialized);
        file.ReadAt(0, start.data(), start.size());
        const std::optional<RunHeader> header = ParseJournalHeader(start);
        if (!header)
            return std::nullopt;
        run.header = *header;
        if (size >= kEndRecordSize) {
            QByteArray last(kEndRecordSize, Qt::Uninitialized);
            file.ReadAt(size - kEndRecordSize, last.data(), last.size());
            if (const std::optional<RunEnd> end = ParseEndRecord(last)) {
                run.files = end->files;
                run.ended = true;
            }
        }
        file.Close();
        if (!run.ended) {
            const std::optional<JournalContents> contents =
                ParseJournal(ReadWholeFile(path, kMaxJournalSize));
            if (!contents)
                return std::nullopt;
            QSet<QPair<quint64, quint64>> files;
            for (const ChangeRecord& change : contents->changes)
                files.insert({change.device, change.inode});
            run.files = int(files.size());
        }
    } catch (const IoError&) {
        // A journal that cannot be read (removed meanwhile, unreadable) is no run to show.
        return std::nullopt;
    }
    run.undone = NameExists(UndoneMarkPath(folder, id));
    return run;
}

} // namespace

QString HistoryFolder() {
    return StateHome() + QStringLiteral("vantuke/");
}

QString RunId(qint64 startMsec, int n) {
    const QString time = QDateTime::fromMSecsSinceEpoch(startMsec, Qt::UTC)
                             .toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return n <= 1 ? time : time + QStringLiteral("-%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString JournalPath(const QString& folder, const QString& id) {
    return folder + id + kJournalSuffix;
}

QString UndoneMarkPath(const QString& folder, const QString& id) {
    return folder + id + kUndoneSuffix;
}

QList<KeptRun> ListRuns(const QString& folder) {
    QList<KeptRun> runs;
    for (const QString& id : JournalIds(folder)) {
        if (std::optional<KeptRun> run = ReadRun(folder, id))
            runs.append(*run);
    }
    return runs;
}

std::optional<KeptRun> LastUndoableRun(const QString& folder) {
    for (const QString& id : JournalIds(folder)) {
        if (NameExists(UndoneMarkPath(folder, id)))
            continue;
        if (std::optional<KeptRun> run = ReadRun(folder, id))
            return run;
    }
    return std::nullopt;
}

void PruneHistory(const QString& folder, qint64 nowMsec) {
    const QStringList ids = JournalIds(folder);
    for (qsizetype k = kKeptRuns; k < ids.size(); ++k) {
        if (nowMsec - *StartOfId(ids.at(k)) <= kKeptDays * kDayMsec)
            continue;
        RemoveFile(UndoneMarkPath(folder, ids.at(k)));
        RemoveFile(JournalPath(folder, ids.at(k)));
    }
}

QString RunTimeText(qint64 startMsec) {
    return QDateTime::fromMSecsSinceEpoch(startMsec).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString FileCountText(int files) {
    return QString::number(files) +
           (files == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
}

QString HistoryLine(const KeptRun& run) {
    const QChar tab(u'\t');
    return run.id + tab + RunTimeText(run.header.startMsec) + tab + run.header.caption + tab +
           FileCountText(run.files) + tab +
           (run.undone ? QStringLiteral("undone") : QStringLiteral("not undone"));
}

} // namespace vantuke
