#include "batch/RunPlan.h"

#include "convert/PathNames.h"
#include "platform/NameDisplay.h"

namespace vantuke {

namespace {

QString Count(int n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

} // namespace

QString PlaylistLine(const PlaylistPlan& playlist) {
    const QString path = ShownInOneLine(playlist.path);
    switch (playlist.outcome) {
    case PlaylistPlan::Outcome::Updated:
        return QStringLiteral("Playlist updated: ") + path + QStringLiteral(" (") +
               Count(playlist.entries, "entry", "entries") + u')';
    case PlaylistPlan::Outcome::Stale:
        return QStringLiteral("Playlist not updated: ") + path + QStringLiteral(" (") +
               Count(playlist.entries, "entry still names the old path",
                     "entries still name the old paths") +
               u')';
    case PlaylistPlan::Outcome::Changed:
        return QStringLiteral("Playlist ") + path +
               QStringLiteral(" changed since it was read; left alone");
    case PlaylistPlan::Outcome::Failed:
        break;
    }
    return QStringLiteral("Cannot update playlist ") + path + QStringLiteral(": ") + playlist.error;
}

QString PlanSummary(const RunPlan& plan, int entryCount) {
    if (entryCount == 0)
        return QStringLiteral("No files to process");
    int renamed = 0, written = 0, removed = 0, listed = 0, taken = 0, notRenamed = 0, noTag = 0,
        emptied = 0, notMp3 = 0, failed = 0, noId3v2 = 0, id3v2Unreadable = 0;
    for (const PlanItem& item : plan.items) {
        renamed += item.action == PlanAction::Rename;
        written += item.action == PlanAction::WriteTag;
        removed += item.action == PlanAction::RemoveTag;
        listed += item.action == PlanAction::List;
        taken += item.Has(PlanNote::NameTaken);
        notRenamed += item.Has(PlanNote::NotRenamed);
        noTag += item.Has(PlanNote::NoTag);
        emptied += item.Has(PlanNote::FieldEmptied);
        notMp3 += item.Has(PlanNote::NotMp3);
        failed += item.Has(PlanNote::Failed);
        noId3v2 += item.Has(PlanNote::NoId3v2);
        id3v2Unreadable += item.Has(PlanNote::Id3v2Unreadable);
    }
    QStringList parts;
    const auto add = [&](int n, const char* one, const char* many) {
        if (n > 0)
            parts << Count(n, one, many);
    };
    add(renamed, "renamed", "renamed");
    add(written, "tag written", "tags written");
    add(removed, "tag removed", "tags removed");
    add(listed, "listed", "listed");
    add(taken, "name taken", "names taken");
    add(notRenamed, "not renamed", "not renamed");
    add(noTag, "without a tag", "without a tag");
    add(emptied, "with fields emptied", "with fields emptied");
    add(notMp3, "not an MP3 file", "not MP3 files");
    add(failed, "failed", "failed");
    add(noId3v2, "without an ID3v2 tag", "without an ID3v2 tag");
    add(id3v2Unreadable, "with an unreadable ID3v2 tag", "with an unreadable ID3v2 tag");
    QString line = Count(entryCount, "file", "files") + QStringLiteral(": ") +
                   (parts.isEmpty() ? QStringLiteral("nothing changes") : parts.join(u", "));
    if (!plan.complete) {
        line += plan.dryRun ? QStringLiteral("; stops") : QStringLiteral("; stopped");
        if (!plan.items.isEmpty())
            line += QStringLiteral(" at file ") + QString::number(plan.items.last().number);
        if (plan.ioError)
            line += QStringLiteral(": ") + plan.ioError->Text();
    }
    return line;
}

QString PlanStopText(const RunPlan& plan, int entryCount) {
    if (!plan.ioError || plan.items.isEmpty())
        return {};
    const QString& path =
        plan.ioError->Path().isEmpty() ? plan.items.last().path : plan.ioError->Path();
    return QStringLiteral("The run %1 at file %2 of %3: %4: %5")
        .arg(plan.dryRun ? QStringLiteral("will stop") : QStringLiteral("stopped"))
        .arg(plan.items.last().number)
        .arg(entryCount)
        .arg(plan.ioError->Text(), NameForDisplay(path));
}

} // namespace vantuke
