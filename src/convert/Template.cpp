#include "convert/Template.h"

#include "convert/PathNames.h"
#include "tag/Genres.h"

#include <QStringView>
#include <algorithm>

namespace vantuke {

namespace {

bool IsCodeCharacter(QChar c) {
    return FieldOfCode(c.unicode()) || (c >= u'7' && c <= u'9') || c == u'N' || c == u'n';
}

// The file number in decimal, zero-padded on the left to at least `digits` characters.
QString NumberText(int number, int digits) {
    return QString::number(number).rightJustified(digits, u'0');
}

// The expansion of a code that names no text field.
QString CodeExpansion(QChar code, const TTagRecord& tag, const QString& path, int number,
                      const ProgramOptions& options) {
    if (const TagFieldInfo* field = FieldOfCode(code.unicode())) {
        switch (field->kind) {
        case FieldKind::Text:
            break;
        case FieldKind::Number:
            return tag.Track != 0 ? NumberText(tag.Track, 2) : QString();
        case FieldKind::Genre:
            return GenreDisplayName(tag.Genre);
        }
    }
    switch (code.unicode()) {
    case u'7':
        return FileTitleOf(path);
    case u'8':
        return FilePathOf(path);
    case u'9':
        return ExtensionText(options.extensionFormat);
    default: // N, n
        return NumberText(number, ClampOptionPosition(options.numberOfDigits) + 1);
    }
}

// Every piece of the result ends at its first NUL, as a tag field's text does. A field's text
// goes straight into the result.
void AppendCode(QString& result, QChar code, const TTagRecord& tag, const QString& path, int number,
                const ProgramOptions& options) {
    if (const TagFieldInfo* field = FieldOfCode(code.unicode());
        field && field->kind == FieldKind::Text) {
        AppendFieldText(result, tag.Field(field->field), options.codec);
        return;
    }
    const QString piece = CodeExpansion(code, tag, path, number, options);
    result += QStringView(piece.begin(), std::find(piece.begin(), piece.end(), QChar(0)));
}

} // namespace

QString ExpandTemplate(const TTagRecord& tag, const QString& tmpl, const QString& path, int number,
                       const ProgramOptions& options, ExpansionUse use) {
    QString result;
    result.reserve(tmpl.size() + 64);
    ExpandTemplateInto(result, tag, tmpl, path, number, options, use);
    return result;
}

void ExpandTemplateInto(QString& result, const TTagRecord& tag, const QString& tmpl,
                        const QString& path, int number, const ProgramOptions& options,
                        ExpansionUse use) {
    result.resize(0);
    AppendExpansion(result, tag, tmpl, path, number, options, use);
}

void AppendExpansion(QString& result, const TTagRecord& tag, const QString& tmpl,
                     const QString& path, int number, const ProgramOptions& options,
                     ExpansionUse use) {
    const QStringView text(tmpl);
    const qsizetype size = text.size();
    // Literal text is copied in runs, up to the next code or NUL (a NUL is dropped).
    qsizetype literal = 0;
    const auto copyLiteral = [&](qsizetype end) {
        if (end > literal)
            result += text.sliced(literal, end - literal);
    };
    for (qsizetype k = 0; k < size; ++k) {
        const QChar c = text[k];
        if (c.isNull()) {
            copyLiteral(k);
            literal = k + 1;
        } else if (c == u'%' && k + 1 < size && IsCodeCharacter(text[k + 1])) {
            copyLiteral(k);
            ++k;
            const qsizetype from = result.size();
            AppendCode(result, text[k], tag, path, number, options);
            if (use == ExpansionUse::StatusLine)
                ShowInOneLine(result, from);
            literal = k + 1;
        }
    }
    copyLiteral(size);
}

} // namespace vantuke
