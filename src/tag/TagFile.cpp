#include "tag/TagFile.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"

#include <QByteArrayView>

#include <cerrno>

namespace vantuke {

namespace {

constexpr qint64 kTagSize = 128;
constexpr qint64 kMarkerSize = 3;

bool IsMarker(const QByteArray& tag) {
    // Only a to z are folded; any other byte must match exactly.
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return upper(tag[0]) == 'T' && upper(tag[1]) == 'A' && upper(tag[2]) == 'G';
}

// Fills the record from the 125 bytes that follow the marker.
void ParseFields(QByteArrayView fields, TTagRecord& record) {
    qsizetype offset = 0;
    for (const TagField field : kTextFields) {
        const int width = FieldCapacity(field);
        qsizetype length = width;
        // Only the spaces that end the field go; NULs and the spaces before them stay.
        while (length > 0 && fields[offset + length - 1] == ' ')
            --length;
        record.Field(field) = fields.sliced(offset, length).toByteArray();
        offset += width;
    }
    record.Genre = quint8(fields[offset]);
}

QByteArray BuildTag(const TTagRecord& record) {
    QByteArray tag("TAG");
    tag.reserve(kTagSize);
    for (const TagField field : kTextFields) {
        const int width = FieldCapacity(field);
        const QByteArray bytes = record.Field(field).left(width);
        tag += bytes;
        tag += QByteArray(width - bytes.size(), '\0');
    }
    tag += char(record.Genre);
    return tag;
}

// The tag's first byte; a file shorter than a tag fails here like a seek before its start.
qint64 TagStart(const OpenFile& file) {
    const qint64 start = file.Size() - kTagSize;
    if (start < 0)
        throw IoError::FromErrno(EINVAL).WithPath(file.Path());
    return start;
}

void WriteTagTo(OpenFile& file, const TTagRecord& record, bool tagPresent) {
    const qint64 start = TagStart(file);
    const QByteArray tag = BuildTag(record);
    if (tagPresent) {
        file.WriteAt(start, tag);
    } else {
        const qint64 oldSize = file.Size();
        try {
            file.WriteAt(oldSize, tag);
        } catch (const IoError&) {
            // A half-written tag would be taken for audio: give the file its old size back.
            try {
                file.Truncate(oldSize);
            } catch (const IoError&) {
                // The write error is the one worth reporting.
            }
            throw;
        }
    }
    file.Close();
}

} // namespace

bool TagPresent(const QString& path) {
    OpenFile file(path);
    return IsMarker(file.ReadAt(TagStart(file), kMarkerSize));
}

void ReadTag(const QString& path, TTagRecord& record) {
    OpenFile file(path);
    ParseFields(file.ReadAt(file.Size() - (kTagSize - kMarkerSize), kTagSize - kMarkerSize),
                record);
}

bool ReadTagIfPresent(const QString& path, TTagRecord& record) {
    OpenFile file(path);
    const QByteArray tag = file.ReadAt(TagStart(file), kTagSize);
    if (!IsMarker(tag))
        return false;
    ParseFields(QByteArrayView(tag).sliced(kMarkerSize), record);
    return true;
}

void WriteTag(const QString& path, const TTagRecord& record) {
    OpenFile file(path);
    WriteTagTo(file, record, IsMarker(file.ReadAt(TagStart(file), kMarkerSize)));
}

void WriteTag(const QString& path, const TTagRecord& record, bool tagPresent) {
    OpenFile file(path);
    WriteTagTo(file, record, tagPresent);
}

void RemoveTag(const QString& path) {
    OpenFile file(path);
    file.Truncate(TagStart(file));
    file.Close();
}

void ClearReadOnly(const QString& path, bool eraseReadOnlyAttr) {
    if (eraseReadOnlyAttr)
        MakeWritable(path);
}

} // namespace vantuke
