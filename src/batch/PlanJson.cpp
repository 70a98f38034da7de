#include "batch/PlanJson.h"

#include "platform/NameBytes.h"
#include "platform/NameDisplay.h"
#include "tag/TagBytes.h"

namespace vantuke {

namespace {

constexpr qsizetype kPieceSize = 64 * 1024;

const char* ActionName(PlanAction action) {
    switch (action) {
    case PlanAction::Rename:
        return "rename";
    case PlanAction::WriteTag:
        return "write-tag";
    case PlanAction::RemoveTag:
        return "remove-tag";
    case PlanAction::List:
        return "list";
    case PlanAction::None:
        break;
    }
    return "none";
}

// Appends text as a JSON string. A lone surrogate, which no JSON string may hold, becomes
// U+FFFD.
void AppendString(QByteArray& out, QStringView text) {
    out += '"';
    QString clean;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text[k];
        if (c.isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate()) {
            ++k;
        } else if (c.isSurrogate()) {
            if (clean.isEmpty())
                clean = text.toString();
            clean[k] = QChar(QChar::ReplacementCharacter);
        }
    }
    for (const char byte : (clean.isEmpty() ? text : QStringView(clean)).toUtf8()) {
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(byte) < 0x20) {
                static const char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[(byte >> 4) & 0xF];
                out += hex[byte & 0xF];
            } else {
                out += byte;
            }
        }
    }
    out += '"';
}

bool IsUtf8Name(QStringView path) {
    for (const QChar c : path) {
        if (c.isSurrogate() && EscapedByte(c) >= 0)
            return false;
    }
    return true;
}

// "key": PATH, and "key_base64": BYTES when the path's bytes are not UTF-8.
void AppendPath(QByteArray& out, const char* key, const QString& path) {
    out += '"';
    out += key;
    out += "\": ";
    if (IsUtf8Name(path)) {
        AppendString(out, path);
        return;
    }
    AppendString(out, NameForDisplay(path));
    out += ", \"";
    out += key;
    out += "_base64\": \"";
    out += NameToBytes(path).toBase64();
    out += '"';
}

void AppendTag(QByteArray& out, const std::optional<RawTag>& tag) {
    if (!tag) {
        out += "null";
        return;
    }
    TTagRecord record;
    ParseTagFields(QByteArrayView(tag->data(), kTagSize).sliced(kTagMarkerSize), record);
    static constexpr const char* kKeys[] = {"song_name", "artist", "album", "year", "comment"};
    out += '{';
    for (const TagField field : kTextFields) {
        out += '"';
        out += kKeys[int(field)];
        out += "\": ";
        AppendString(out, FieldText(record, field));
        out += ", ";
    }
    out += "\"genre\": ";
    out += QByteArray::number(record.Genre);
    out += '}';
}

void AppendItem(QByteArray& out, const PlanItem& item) {
    out += "    {\"number\": ";
    out += QByteArray::number(item.number);
    out += ", ";
    AppendPath(out, "path", item.path);
    out += ", \"action\": \"";
    out += ActionName(item.action);
    out += '"';
    if (item.action == PlanAction::Rename) {
        out += ", ";
        AppendPath(out, "new_path", item.newPath);
    }
    out += ", \"tag_before\": ";
    AppendTag(out, item.tagBefore);
    out += ", \"tag_after\": ";
    AppendTag(out, item.tagAfter);
    out += ", \"notes\": [";
    for (qsizetype k = 0; k < item.notes.size(); ++k) {
        if (k > 0)
            out += ", ";
        AppendString(out, item.notes.at(k));
    }
    out += "]}";
}

} // namespace

void WritePlanJson(const RunPlan& plan, const std::function<void(QByteArrayView)>& out) {
    QByteArray piece;
    piece.reserve(kPieceSize + 4096);
    piece += "{\n  \"process\": ";
    AppendString(piece, ProcessCaption(plan.process));
    piece += ",\n  \"dry_run\": ";
    piece += plan.dryRun ? "true" : "false";
    piece += ",\n  \"errors\": ";
    piece += QByteArray::number(plan.errorCount);
    piece += ",\n  \"complete\": ";
    piece += plan.complete ? "true" : "false";
    piece += ",\n  \"io_error\": ";
    if (plan.ioError) {
        piece += "{\"message\": ";
        AppendString(piece, plan.ioError->Text());
        piece += ", ";
        AppendPath(piece, "path", plan.ioError->Path());
        piece += '}';
    } else {
        piece += "null";
    }
    piece += ",\n  \"entries\": [";
    for (qsizetype k = 0; k < plan.items.size(); ++k) {
        piece += k == 0 ? "\n" : ",\n";
        AppendItem(piece, plan.items.at(k));
        if (piece.size() >= kPieceSize) {
            out(piece);
            piece.resize(0);
        }
    }
    piece += plan.items.isEmpty() ? "]\n}\n" : "\n  ]\n}\n";
    out(piece);
}

QByteArray PlanJson(const RunPlan& plan) {
    QByteArray json;
    WritePlanJson(plan, [&json](QByteArrayView piece) { json += piece; });
    return json;
}

} // namespace vantuke
