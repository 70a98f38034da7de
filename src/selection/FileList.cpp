#include "selection/FileList.h"

#include "platform/AsciiCase.h"
#include "platform/Directory.h"
#include "platform/NameDisplay.h"
#include "selection/FileDateText.h"
#include "selection/NameOrder.h"
#include "tag/FileSystem.h"
#include "tag/Genres.h"
#include "tag/Id3v2Tag.h"

#include <algorithm>
#include <numeric>

namespace vantuke {

namespace {

// A usual value of a tag field, to size its column by.
const char* FieldSample(TagField field) {
    switch (field) {
    case TagField::SongName:
        return "The Title of the Song";
    case TagField::Artist:
        return "Name of the Artist";
    case TagField::Album:
        return "The Title of the Album";
    case TagField::Year:
        return "2000";
    case TagField::Comment:
        return "A comment of some words";
    case TagField::Track:
        return "12";
    case TagField::Genre:
        return "Alternative Rock";
    }
    return "";
}

} // namespace

const std::array<FileListColumnInfo, kFileListColumnCount> FileListColumns = [] {
    std::array<FileListColumnInfo, kFileListColumnCount> columns{{
        {"Filename", "01 - Name of the Artist - Song.mp3", SortAs::Text},
        {"Filesize", "10485760", SortAs::Number},
        {"Filedate", "", SortAs::Time},
        {"Tag?", "Yes", SortAs::Text},
    }};
    columns[kColId3v2] = {"ID3v2", "2.4", SortAs::Text};
    for (const TagFieldInfo& info : kTagFields) {
        const bool number = info.kind == FieldKind::Number || info.field == TagField::Year;
        columns[size_t(FieldColumn(info.field))] = {info.column, FieldSample(info.field),
                                                    number ? SortAs::Number : SortAs::Text};
    }
    return columns;
}();

namespace {

struct FilterEntry {
    const char* caption;
    const char* mask;
};

constexpr std::array<FilterEntry, 4> kFilters{{
    {"MP3 files (*.mp3)", "*.mp3"},
    {"All files (*.*)", "*.*"},
    // UTF-8 M3U playlists go with the M3U ones.
    {"Playlist (*.m3u)", "*.m3u;*.m3u8"},
    {"Playlist (*.pls)", "*.pls"},
}};

// Whether a row's tags are read: an MP3 file long enough to end in a tag (a shorter one has
// none).
bool HasTagToRead(const FileListRow& row) {
    return EndsInMp3(row.name) && row.size >= kTagSize;
}

} // namespace

QString FileListSample(int column, const QLocale& locale) {
    if (column < 0 || column >= kFileListColumnCount)
        return {};
    if (column == kColFiledate)
        return FileDateText(QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58)), locale);
    return QString::fromUtf8(FileListColumns[size_t(column)].sample);
}

QStringList FilterCaptions() {
    QStringList captions;
    for (const FilterEntry& filter : kFilters)
        captions << QString::fromLatin1(filter.caption);
    return captions;
}

QString FilterMask(int filterIndex) {
    if (filterIndex < 0 || filterIndex >= int(kFilters.size()))
        filterIndex = 0;
    return QString::fromLatin1(kFilters[filterIndex].mask);
}

bool MatchesMask(const QString& name, const QString& mask) {
    for (const QStringView one : QStringView(mask).split(u';')) {
        if (one == u"*.*" || EndsWithIgnoringAsciiCase(name, one.mid(1)))
            return true;
    }
    return false;
}

bool EndsInMp3(const QString& name) {
    return EndsWithIgnoringAsciiCase(name, u"mp3");
}

void ReadFileList(const QString& dir, int filterIndex, std::vector<FileListRow>& rows) {
    if (!dir.startsWith(u'/'))
        return;
    const QString mask = FilterMask(filterIndex);

    // Gather the matching files first: the rows follow the sorted names, not the directory.
    std::vector<FileListRow> found;
    QStringList names;
    ReadDirectory(dir, EntryDetail::Full, [&](const DirEntry& entry) {
        if (entry.status.kind == FileKind::Regular && MatchesMask(entry.name, mask)) {
            names << entry.name;
            found.push_back(
                {entry.name, entry.status.size, entry.status.lastWrite, TagCell::None, {}, {}});
        }
        return true;
    });

    const QList<qsizetype> order = SortedOrder(names);
    // The tags (and the ID3v2 headers) are read ahead, in the order of the rows.
    QStringList tagged;
    for (const qsizetype i : order) {
        if (HasTagToRead(found[i]))
            tagged << dir + found[i].name;
    }
    DiskFileSystem files;
    files.WillOpen(tagged, OpenMode::Read, kId3v2HeaderSize);

    rows.reserve(rows.size() + found.size());
    for (const qsizetype i : order) {
        FileListRow& row = rows.emplace_back(std::move(found[i]));
        if (HasTagToRead(row))
            row.tagCell = ReadTagIfPresent(files, dir + row.name, row.tag, &row.id3v2)
                              ? TagCell::Tagged
                              : TagCell::Untagged;
        else if (EndsInMp3(row.name))
            row.tagCell = TagCell::Untagged;
    }
}

QString FileListCell(const FileListRow& row, int column, const QLocale& locale,
                     const TagCodec& codec) {
    switch (column) {
    case kColFilename:
        return NameForDisplay(row.name);
    case kColFilesize:
        return QString::number(row.size);
    case kColFiledate:
        return FileDateText(row.lastWrite, locale);
    case kColTag:
        if (row.tagCell == TagCell::None)
            return {};
        return row.tagCell == TagCell::Tagged ? QStringLiteral("Yes") : QStringLiteral("No");
    case kColId3v2:
        return row.id3v2;
    default:
        break;
    }
    if (row.tagCell != TagCell::Tagged)
        return {};
    for (const TagFieldInfo& info : kTagFields) {
        if (FieldColumn(info.field) != column)
            continue;
        switch (info.kind) {
        case FieldKind::Text:
            return ShownFieldText(row.tag.Field(info.field), codec);
        case FieldKind::Number:
            return TrackText(row.tag.Track);
        case FieldKind::Genre:
            return GenreDisplayName(row.tag.Genre);
        }
    }
    return {};
}

namespace {

// Where a row stands in a sorted column: by group first, then by number, then by the rank
// of its text among the column's texts.
struct SortKey {
    int group = 0;
    qint64 number = 0;
    qsizetype rank = 0;

    auto operator<=>(const SortKey&) const = default;
};

std::vector<SortKey> SortKeys(const std::vector<FileListRow>& rows, int column,
                              const QLocale& locale, const TagCodec& codec) {
    std::vector<SortKey> keys(rows.size());
    const SortAs sortAs = FileListColumns[size_t(column)].sortAs;
    if (sortAs == SortAs::Time) {
        for (size_t i = 0; i < rows.size(); ++i)
            keys[i] = {rows[i].lastWrite.isValid() ? 1 : 0, rows[i].lastWrite.toMSecsSinceEpoch(),
                       0};
        return keys;
    }
    QStringList texts;
    texts.reserve(qsizetype(rows.size()));
    for (const FileListRow& row : rows)
        texts << FileListCell(row, column, locale, codec);
    if (sortAs == SortAs::Number) {
        for (size_t i = 0; i < rows.size(); ++i) {
            bool isNumber = false;
            keys[i].number = texts[qsizetype(i)].toLongLong(&isNumber);
            keys[i].group = texts[qsizetype(i)].isEmpty() ? 0 : isNumber ? 1 : 2;
            if (!isNumber)
                keys[i].number = 0;
        }
    }
    const QList<qsizetype> ranks = CollationRanks(texts);
    for (size_t i = 0; i < rows.size(); ++i)
        keys[i].rank = keys[i].group == 1 ? 0 : ranks[qsizetype(i)];
    return keys;
}

} // namespace

std::vector<int> SortedRows(const std::vector<FileListRow>& rows, int column, Qt::SortOrder order,
                            const QLocale& locale, const TagCodec& codec) {
    std::vector<int> sorted(rows.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    if (column < 0 || column >= kFileListColumnCount)
        return sorted;
    const std::vector<SortKey> keys = SortKeys(rows, column, locale, codec);
    if (order == Qt::AscendingOrder)
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    else
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&](int a, int b) { return keys[size_t(b)] < keys[size_t(a)]; });
    return sorted;
}

} // namespace vantuke
