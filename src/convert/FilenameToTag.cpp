#include "convert/FilenameToTag.h"

#include <QStringView>
#include <optional>

namespace vantuke {

namespace {

QStringView TrimSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

// "%T" takes 1 to 3 digits (the spaces around them do not count) as the track: a number from
// 1 to 255. Anything else is no track: the track keeps the value it arrived with, and the text
// is kept in losses.
void ReadTrack(TTagRecord& tag, QStringView value, const TagCodec& codec, FieldLosses* losses) {
    const QStringView digits = TrimSpaces(value);
    const std::optional<int> track = digits.size() <= 3 ? TrackFromText(digits) : std::nullopt;
    if (track && *track > 0) {
        SetTrack(tag, *track, codec, losses);
    } else if (losses) {
        losses->notATrack = value.toString();
    }
}

// A template read as literal 0, code 1, literal 1, ..., code k, literal k. The search for the
// "%" that ends a literal starts at the code character before it, so in "%%1" the second "%"
// is both the first code's character and the start of the code "%1".
class TemplateReader {
public:
    explicit TemplateReader(const QString& tmpl) : tmpl_(tmpl) {}

    struct Piece {
        QStringView literal;
        bool last = false;             // no code follows the literal
        std::optional<QChar> codeChar; // the character of the code that follows, if any
    };

    bool AtEnd() const { return finished_; }

    Piece Next() {
        const qsizetype percent = tmpl_.indexOf(u'%', searchFrom_);
        Piece piece;
        if (percent < 0) {
            piece.literal = Slice(literalFrom_, tmpl_.size());
            piece.last = true;
            finished_ = true;
            return piece;
        }
        piece.literal = Slice(literalFrom_, percent);
        if (percent + 1 < tmpl_.size())
            piece.codeChar = tmpl_[percent + 1];
        literalFrom_ = percent + 2;
        searchFrom_ = percent + 1;
        return piece;
    }

private:
    QStringView Slice(qsizetype from, qsizetype to) const {
        return from < to ? QStringView(tmpl_).sliced(from, to - from) : QStringView();
    }

    const QString& tmpl_;
    qsizetype literalFrom_ = 0;
    qsizetype searchFrom_ = 0;
    bool finished_ = false;
};

} // namespace

void OldStyleToTag(TTagRecord& tag, const QString& title, const OldStyleOptions& options,
                   const TagCodec& codec, FieldLosses* losses) {
    if (options.format < 0 || options.format > kLastOldStyleFormat)
        return;
    const OldStyleFormat& format = kOldStyleFormats[options.format];

    // The split falls at the separator's first occurrence. A title without the separator is
    // not split: all of it stands before the separator, and nothing after it.
    const QString& separator = options.separator;
    const qsizetype split = title.indexOf(separator);
    QStringView before = title;
    QStringView after;
    if (split >= 0) {
        before = QStringView(title).first(split);
        after = QStringView(title).sliced(split + separator.size());
    }
    if (options.clearSpaces) {
        before = TrimSpaces(before);
        after = TrimSpaces(after);
    }

    const auto put = [&](TagField field, TitlePart part) {
        switch (part) {
        case TitlePart::None:
            return;
        case TitlePart::Before:
            SetFieldText(tag, field, before.toString(), codec, losses);
            return;
        case TitlePart::After:
            SetFieldText(tag, field, after.toString(), codec, losses);
            return;
        case TitlePart::Whole:
            SetFieldText(tag, field, title, codec, losses);
            return;
        }
    };
    put(TagField::SongName, format.songName);
    put(TagField::Artist, format.artist);
}

void NewStyleToTag(TTagRecord& tag, const QString& title, const QString& tmpl,
                   const TagCodec& codec, FieldLosses* losses) {
    TemplateReader reader(tmpl);
    const qsizetype size = title.size();
    qsizetype pos = 0;
    std::optional<QChar> pendingCode;
    while (!reader.AtEnd() && pos < size) {
        const TemplateReader::Piece piece = reader.Next();
        const QStringView literal = piece.literal;
        QStringView value;
        if (literal.isEmpty()) {
            if (piece.last) {
                value = QStringView(title).sliced(pos);
                pos = size;
            }
        } else if (size - pos > literal.size()) {
            // A literal that is not found is taken to stand where it would end the title.
            qsizetype found = title.indexOf(literal, pos);
            if (found < 0)
                found = size - literal.size();
            value = QStringView(title).sliced(pos, found - pos);
            pos = found + literal.size();
        } else {
            pos = size;
        }

        // The text fields and the track are read from a name; any other code throws its text
        // away.
        if (pendingCode) {
            if (const TagFieldInfo* field = FieldOfCode(pendingCode->unicode())) {
                switch (field->kind) {
                case FieldKind::Text:
                    SetFieldText(tag, field->field, value.toString(), codec, losses);
                    break;
                case FieldKind::Number:
                    ReadTrack(tag, value, codec, losses);
                    break;
                case FieldKind::Genre:
                    break;
                }
            }
        }
        pendingCode = piece.codeChar;
    }
}

void FilenameToTag(TTagRecord& tag, const QString& title, const FilenameToTagOptions& options,
                   const TagCodec& codec, FieldLosses* losses) {
    if (options.oldStyle)
        OldStyleToTag(tag, title, options.old, codec, losses);
    else
        NewStyleToTag(tag, title, options.newStyleTemplate, codec, losses);
}

} // namespace vantuke
