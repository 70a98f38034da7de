#include "batch/PlanModel.h"

#include "batch/TagRows.h"
#include "platform/NameDisplay.h"
#include "tag/Genres.h"

namespace vantuke {

namespace {

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// What a row shows when its field holds nothing: an empty text, no track.
QString EmptyValue(int row) {
    return RowField(row).kind == FieldKind::Number ? QStringLiteral("none") : Quoted(QString());
}

// The values of a tag as they are shown: the texts quoted, the track as its number, the genre
// by name.
std::array<QString, kTagFillRows> ShownValues(const RawTag& tag, const TagCodec& codec) {
    TTagRecord record;
    ParseTagFields(QByteArrayView(tag.data(), kTagSize).sliced(kTagMarkerSize), record);
    std::array<QString, kTagFillRows> values;
    for (const TagFieldInfo& info : kTagFields) {
        QString& value = values[size_t(info.field)];
        switch (info.kind) {
        case FieldKind::Text:
            value = Quoted(ShownFieldText(record.Field(info.field), codec));
            break;
        case FieldKind::Number:
            value = record.Track != 0 ? TrackText(record.Track) : EmptyValue(int(info.field));
            break;
        case FieldKind::Genre:
            value = GenreDisplayName(record.Genre);
            break;
        }
    }
    return values;
}

QString TagChange(const PlanItem& item, const TagCodec& codec) {
    const std::array<QString, kTagFillRows> after = ShownValues(*item.tagAfter, codec);
    QStringList parts;
    if (!item.tagBefore) {
        for (int row = 0; row < kTagFillRows; ++row) {
            if (row == kGenreRow || after[row] != EmptyValue(row))
                parts << TagRowName(row) + QLatin1Char(' ') + after[row];
        }
        return QStringLiteral("new tag: ") + parts.join(QStringLiteral(", "));
    }
    const std::array<QString, kTagFillRows> before = ShownValues(*item.tagBefore, codec);
    for (int row = 0; row < kTagFillRows; ++row) {
        if (before[row] != after[row])
            parts << TagRowName(row) + QStringLiteral(": ") + before[row] + QStringLiteral(" → ") +
                         after[row];
    }
    return parts.isEmpty() ? QStringLiteral("tag written unchanged")
                           : parts.join(QStringLiteral("; "));
}

QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString NameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString ChangeText(const PlanItem& item, const TagCodec& codec) {
    switch (item.action) {
    case PlanAction::Rename:
        return QStringLiteral("rename to ") +
               NameForDisplay(FolderOf(item.newPath) == FolderOf(item.path) ? NameOf(item.newPath)
                                                                            : item.newPath);
    case PlanAction::WriteTag:
        return TagChange(item, codec);
    case PlanAction::RemoveTag:
        return QStringLiteral("remove the tag");
    case PlanAction::List:
        return QStringLiteral("listed");
    case PlanAction::None:
        break;
    }
    return QStringLiteral("no change");
}

PlanModel::PlanModel(RunPlan plan, QObject* parent)
    : QAbstractTableModel(parent), plan_(std::move(plan)) {
    files_.reserve(plan_.items.size());
    changes_.reserve(plan_.items.size());
    notes_.reserve(plan_.items.size());
    for (const PlanItem& item : plan_.items) {
        files_ << NameForDisplay(NameOf(item.path));
        changes_ << ChangeText(item, plan_.codec);
        notes_ << item.notes.join(QStringLiteral("; "));
    }
    if (!plan_.complete && !notes_.isEmpty()) {
        QString& last = notes_.last();
        if (!last.isEmpty())
            last += QStringLiteral("; ");
        last += plan_.dryRun ? QStringLiteral("the run stops here")
                             : QStringLiteral("the run stopped here");
        if (plan_.ioError)
            last += QStringLiteral(": ") + plan_.ioError->Text();
    }
}

int PlanModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(plan_.items.size());
}

int PlanModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlanModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    const PlanItem& item = plan_.items.at(row);
    if (role == HasNotesRole)
        return !notes_.at(row).isEmpty();
    if (role == Qt::ToolTipRole) {
        if (index.column() == FileColumn)
            return NameForDisplay(item.path);
        if (index.column() == ChangeColumn && item.action == PlanAction::Rename)
            return NameForDisplay(item.newPath);
        role = Qt::DisplayRole; // the whole text, which a narrow column cuts short
    }
    if (role != Qt::DisplayRole && role != SortRole)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return role == SortRole ? QVariant(item.number) : QVariant(QString::number(item.number));
    case FileColumn:
        return files_.at(row);
    case ChangeColumn:
        return changes_.at(row);
    case NotesColumn:
        return notes_.at(row);
    }
    return {};
}

QVariant PlanModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return QStringLiteral("No.");
    case FileColumn:
        return QStringLiteral("File");
    case ChangeColumn:
        return QStringLiteral("Change");
    case NotesColumn:
        return QStringLiteral("Notes");
    }
    return {};
}

} // namespace vantuke
