#include "selection/FileList.h"

#include "platform/AsciiCase.h"
#include "platform/Directory.h"
#include "platform/NameDisplay.h"
#include "selection/FileDateText.h"
#include "selection/NameOrder.h"
#include "tag/Genres.h"
#include "tag/TagFile.h"

namespace vantuke {

const std::array<FileListColumnInfo, kFileListColumnCount> FileListColumns = [] {
    std::array<FileListColumnInfo, kFileListColumnCount> columns{{
        {"Filename", 100},
        {"Filesize", 50},
        {"Filedate", 50},
        {"Tag?", 50},
    }};
    for (const TagFieldInfo& info : kTagFields)
        columns[size_t(FieldColumn(info.field))] = {info.column, 50};
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
    {"Playlist (*.m3u)", "*.m3u"},
    {"Playlist (*.pls)", "*.pls"},
}};

// A file shorter than this cannot end in a tag.
constexpr qint64 kTagSize = 128;

void ReadTagCells(const QString& path, FileListRow& row) {
    if (row.size < kTagSize) {
        row.tagCell = TagCell::Untagged;
        return;
    }
    row.tagCell = ReadTagIfPresent(path, row.tag) ? TagCell::Tagged : TagCell::Untagged;
}

} // namespace

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
    if (mask == u"*.*")
        return true;
    return EndsWithIgnoringAsciiCase(name, QStringView(mask).mid(1));
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
                {entry.name, entry.status.size, entry.status.lastWrite, TagCell::None, {}});
        }
        return true;
    });

    rows.reserve(rows.size() + found.size());
    for (const qsizetype i : SortedOrder(names)) {
        rows.push_back(std::move(found[i]));
        if (EndsInMp3(rows.back().name))
            ReadTagCells(dir + rows.back().name, rows.back());
    }
}

QString FileListCell(const FileListRow& row, int column, const QLocale& locale) {
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
            return FieldText(row.tag, info.field);
        case FieldKind::Number:
            return TrackText(row.tag.Track);
        case FieldKind::Genre:
            return GenreDisplayName(row.tag.Genre);
        }
    }
    return {};
}

} // namespace vantuke
