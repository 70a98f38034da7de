#include "batch/TagFill.h"
#include "tag/Genres.h"

#include <algorithm>

namespace vantuke {

namespace {

// What a genre list shows for a genre byte: its position, or no selection past the table.
int GenrePosition(quint8 genre) {
    return genre < kGenreCount ? genre : -1;
}

void MarkAsked(TagQuery& query, const TagFillOptions& page) {
    for (int row = 0; row < kTagFillRows; ++row)
        query.enabled[row] = page.Asked(row);
}

} // namespace

TagQuery FillQueryFromTag(const TTagRecord& record, const TagFillOptions& page,
                          const TagCodec& codec) {
    TagQuery query;
    // Asked and left fields show the file's value; the others show the page's value.
    for (TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        const bool fromFile = page.Asked(row) || page.leave[row];
        query.texts[row] = fromFile ? FieldText(record, field, codec) : page.values[row];
    }
    const bool trackFromFile = page.Asked(kTrackRow) || page.leave[kTrackRow];
    query.track = trackFromFile ? record.Track : page.track;
    const bool genreFromFile = page.Asked(kGenreRow) || page.leave[kGenreRow];
    query.genre = genreFromFile ? GenrePosition(record.Genre) : page.genre;
    MarkAsked(query, page);
    return query;
}

TagQuery FillQueryFromMainWindow(const TagFillOptions& page) {
    TagQuery query;
    query.texts = page.values;
    query.track = page.track;
    query.genre = page.genre;
    MarkAsked(query, page);
    return query;
}

TTagRecord ValuesTag(const FieldTexts& texts, int track, int genre, const TagCodec& codec,
                     FieldLosses* losses) {
    TTagRecord values;
    for (TagField field : kTextFields)
        SetFieldText(values, field, texts[static_cast<int>(field)], codec, losses);
    values.Track = static_cast<quint8>(track);
    values.Genre = static_cast<quint8>(genre);
    return values;
}

QList<LossNote> LossNotes(const FieldLosses& losses, int row, const QString& page) {
    QList<LossNote> notes;
    const QString name = TagRowName(row);
    if (losses.cut[row] > 0)
        notes.append({PlanNote::FieldCut, QStringLiteral("%1 cut to %2 characters (%3 lost)")
                                              .arg(name)
                                              .arg(losses.kept[row])
                                              .arg(losses.cut[row])});
    if (losses.transliterated[row])
        notes.append({PlanNote::Transliterated,
                      QStringLiteral("%1: characters outside %2 transliterated").arg(name, page)});
    if (losses.unmapped[row])
        notes.append({PlanNote::NotInCodePage,
                      QStringLiteral("%1: characters outside %2 become \"?\"").arg(name, page)});
    return notes;
}

void ApplyValues(TTagRecord& record, const TTagRecord& values, const TagFillOptions& page,
                 const TagCodec& codec, FieldLosses* losses) {
    for (TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        if (page.leave[row]) {
            if (losses) {
                losses->cut[row] = 0;
                losses->unmapped[row] = false;
                losses->transliterated[row] = false;
            }
            continue;
        }
        // Into the record's own buffer, which the next file's tag is read into.
        const QByteArray& value = values.Field(field);
        QByteArray& bytes = record.Field(field);
        bytes.resize(value.size());
        std::copy_n(value.constData(), value.size(), bytes.data());
    }
    SetTrack(record, page.leave[kTrackRow] ? record.Track : values.Track, codec, losses);
    if (!page.leave[kGenreRow])
        record.Genre = values.Genre;
}

} // namespace vantuke
