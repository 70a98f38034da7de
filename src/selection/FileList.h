#pragma once

#include "tag/TagRecord.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace vantuke {

// The columns of the file list, left to right: four about the file, then one per field of
// the tag, then the version of the file's ID3v2 tag ("2.2", "2.3" or "2.4"; empty without).
enum FileListColumn { kColFilename, kColFilesize, kColFiledate, kColTag, kColFirstField };
inline constexpr int kColId3v2 = kColFirstField + kTagFieldCount;
inline constexpr int kFileListColumnCount = kColId3v2 + 1;

// The column that shows a field (its place in kTagFields: "Style", the genre, stands before
// "Comment").
constexpr int FieldColumn(TagField field) {
    return kColFirstField + FieldInfo(field).listColumn;
}

// How a column puts the rows in order when its header is clicked.
enum class SortAs {
    Text,   // by the user's locale collation, without regard to case
    Number, // a whole number by its value: empty cells first, then the numbers, then any
            // other text by collation
    Time,   // by the file's last-write time
};

struct FileListColumnInfo {
    const char* caption;
    const char* sample; // a usual value: a first start makes the column wide enough for it
    SortAs sortAs;
};
extern const std::array<FileListColumnInfo, kFileListColumnCount> FileListColumns;

// A usual value of the column as the list shows it, to size the column by: the table's
// sample, and for "Filedate" a late date and time in the locale's formats.
QString FileListSample(int column, const QLocale& locale);

// The filter box's entries, in order; the list shows the files that entry's mask admits.
QStringList FilterCaptions();
// "*.mp3", "*.*", "*.m3u;*.m3u8" or "*.pls" for the entries 0 to 3; any other index is
// entry 0.
QString FilterMask(int filterIndex);
// Whether a name matches "*.*" (every name, also one without a dot) or "*" followed by a
// fixed ending, compared without regard to the case of a to z; a mask of several, separated
// by ";", matches what one of them matches.
bool MatchesMask(const QString& name, const QString& mask);

// Whether a name ends in "mp3" in any letter case (no dot needed).
bool EndsInMp3(const QString& name);

enum class TagCell {
    None,     // no "Tag?" cell: not an MP3 name, or reading the tag failed
    Untagged, // "No"
    Tagged,   // "Yes" and the six tag cells
};

struct FileListRow {
    QString name; // exactly as the folder holds it (NameFromBytes)
    qint64 size = 0;
    QDateTime lastWrite;
    TagCell tagCell = TagCell::None;
    TTagRecord tag; // meaningful when tagCell is Tagged
    QString id3v2;  // the ID3v2 version of an MP3 file's tag, as Id3v2VersionText gives it
};

// Lists the regular files of dir (a full path ending in "/") that the filter admits, hidden
// ones included, sorted by SortNames, and appends one row per file to rows. Folders, pipes,
// devices and sockets are never listed, so reading a tag can never block. A dir that is not
// an absolute path ("?" while the tree has no selection) or cannot be read lists nothing.
// An IoError from reading a tag propagates; the rows appended before it, including the
// failing file's own row without its tag cells, stay in rows.
void ReadFileList(const QString& dir, int filterIndex, std::vector<FileListRow>& rows);

// The text of one cell as the list shows it: the name as NameForDisplay draws it, the tag's
// texts read by codec (ShownFieldText).
QString FileListCell(const FileListRow& row, int column, const QLocale& locale,
                     const TagCodec& codec);

// The rows sorted by a column as its SortAs says: for each line of the list, top to bottom,
// its position in rows. Rows that sort alike keep their order in rows, in either direction.
// A column outside the list gives the rows in their own order.
std::vector<int> SortedRows(const std::vector<FileListRow>& rows, int column, Qt::SortOrder order,
                            const QLocale& locale, const TagCodec& codec);

} // namespace vantuke
