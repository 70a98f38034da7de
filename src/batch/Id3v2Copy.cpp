#include "batch/Id3v2Copy.h"

#include "batch/TagRows.h"
#include "tag/Genres.h"

namespace vantuke {

QString Id3v2TextIn(const Id3v2Text& text, const CodePage& page) {
    if (!text.latin1)
        return text.text;
    const QByteArray bytes = text.text.toLatin1();
    return page.IsValid(bytes) ? page.Text(bytes) : text.text;
}

void CopyId3v2Values(TTagRecord& record, const Id3v2Values& values, const Id3v2ToTagOptions& page,
                     const TagCodec& codec, FieldLosses* losses) {
    // The track first: beside a track the comment holds 28 bytes, so a comment copied after it
    // is cut once, to that.
    if (!page.leave[kTrackRow] && values.track && !(page.onlyEmpty && record.Track != 0))
        SetTrack(record, *values.track, codec, losses);
    for (const TagField field : kTextFields) {
        const std::optional<Id3v2Text>& value = values.Text(field);
        if (page.leave[std::size_t(field)] || !value)
            continue;
        if (page.onlyEmpty && !record.Field(field).isEmpty() && record.Field(field).at(0) != '\0')
            continue;
        SetFieldText(record, field, Id3v2TextIn(*value, codec.Page()), codec, losses);
    }
    if (!page.leave[kGenreRow] && values.genre && !(page.onlyEmpty && record.Genre < kGenreCount))
        record.Genre = quint8(*values.genre);
}

} // namespace vantuke
