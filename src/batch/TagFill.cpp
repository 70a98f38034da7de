#include "batch/TagFill.h"
#include "tag/Genres.h"

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

TagQuery FillQueryFromTag(const TTagRecord& record, const TagFillOptions& page) {
    TagQuery query;
    // Asked and left fields show the file's value; the others show the page's value.
    for (TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        const bool fromFile = page.Asked(row) || page.leave[row];
        query.texts[row] = fromFile ? FieldText(record, field) : page.values[row];
    }
    const bool genreFromFile = page.Asked(kGenreRow) || page.leave[kGenreRow];
    query.genre = genreFromFile ? GenrePosition(record.Genre) : page.genre;
    MarkAsked(query, page);
    return query;
}

TagQuery FillQueryFromMainWindow(const TagFillOptions& page) {
    TagQuery query;
    query.texts = page.values;
    query.genre = page.genre;
    MarkAsked(query, page);
    return query;
}

void ApplyQuery(TTagRecord& record, const TagQuery& query, const TagFillOptions& page) {
    for (TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        if (!page.leave[row])
            SetFieldText(record, field, query.texts[row]);
    }
    if (!page.leave[kGenreRow])
        record.Genre = static_cast<quint8>(query.genre); // no selection (-1) is stored as 255
}

} // namespace vantuke
