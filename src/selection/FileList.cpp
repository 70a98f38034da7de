#include "selection/FileList.h"

#include "platform/AsciiCase.h"
#include "platform/Directory.h"
#include "platform/NameDisplay.h"
#include "selection/FileDateText.h"
#include "selection/NameOrder.h"
#include "tag/Genres.h"
#include "tag/TagFile.h"

namespace vantuke {

const std::array<FileListColumnInfo, kFileListColumnCount> FileListColumns{{
    {"Filename", 100},
    {"Filesize", 50},
    {"Filedate", 50},
    {"Tag?", 50},
    {"SongName", 50},
    {"Artist", 50},
    {"Album", 50},
    {"Year", 50},
    {"Style", 50},
    {"Comment", 50},
    {"ID3v2", 40},
}};

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
    row.tagCell = ReadTagIfPresent(path, row.tag, &row.id3v2) ? TagCell::Tagged : TagCell::Untagged;
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
                {entry.name, entry.status.size, entry.status.lastWrite, TagCell::None, {}, {}});
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
    switch (column) {
    case kColSongName:
        return ShownFieldText(row.tag.SongName, codec);
    case kColArtist:
        return ShownFieldText(row.tag.Artist, codec);
    case kColAlbum:
        return ShownFieldText(row.tag.Album, codec);
    case kColYear:
        return ShownFieldText(row.tag.Year, codec);
    case kColStyle:
        return GenreDisplayName(row.tag.Genre);
    case kColComment:
        return ShownFieldText(row.tag.Comment, codec);
    default:
        return {};
    }
}

} // namespace vantuke
