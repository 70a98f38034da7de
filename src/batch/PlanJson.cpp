#include "batch/PlanJson.h"

#include "platform/NameBytes.h"
#include "platform/NameDisplay.h"
#include "tag/TagBytes.h"

namespace vantuke {

namespace {

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

void AppendTag(QByteArray& out, const std::optional<RawTag>& tag, const TagCodec& codec) {
    if (!tag) {
        out += "null";
        return;
    }
    TTagRecord record;
    ParseTagFields(QByteArrayView(tag->data(), kTagSize).sliced(kTagMarkerSize), record);
    const char* separator = "{\"";
    for (const TagFieldInfo& info : kTagFields) {
        out += separator;
        separator = ", \"";
        out += info.documentKey;
        out += "\": ";
        switch (info.kind) {
        case FieldKind::Text:
            AppendString(out, ShownFieldText(record.Field(info.field), codec));
            break;
        case FieldKind::Number:
            out += record.Track != 0 ? QByteArray::number(record.Track) : QByteArray("null");
            break;
        case FieldKind::Genre:
            out += QByteArray::number(record.Genre);
            break;
        }
    }
    out += '}';
}

void AppendItem(QByteArray& out, const PlanItem& item, const TagCodec& codec) {
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
    AppendTag(out, item.tagBefore, codec);
    out += ", \"tag_after\": ";
    AppendTag(out, item.tagAfter, codec);
    out += ", \"notes\": [";
    for (qsizetype k = 0; k < item.notes.size(); ++k) {
        if (k > 0)
            out += ", ";
        AppendString(out, item.notes.at(k));
    }
    out += "]}";
}

const char* OutcomeName(PlaylistPlan::Outcome outcome) {
    switch (outcome) {
    case PlaylistPlan::Outcome::Updated:
        return "updated";
    case PlaylistPlan::Outcome::Stale:
        return "not-updated";
    case PlaylistPlan::Outcome::Changed:
        return "changed";
    case PlaylistPlan::Outcome::Failed:
        break;
    }
    return "failed";
}

void AppendPlaylist(QByteArray& out, const PlaylistPlan& playlist) {
    out += "    {";
    AppendPath(out, "path", playlist.path);
    out += ", \"entries\": ";
    out += QByteArray::number(playlist.entries);
    out += ", \"result\": \"";
    out += OutcomeName(playlist.outcome);
    out += "\", \"error\": ";
    if (playlist.error.isEmpty())
        out += "null";
    else
        AppendString(out, playlist.error);
    out += '}';
}

} // namespace

PlanJsonWriter::PlanJsonWriter(Process process, bool dryRun, const TagCodec& codec, Out out)
    : codec_(codec), out_(std::move(out)) {
    piece_.reserve(kDocumentPieceSize + 4096);
    piece_ += "{\n  \"process\": ";
    AppendString(piece_, ProcessCaption(process));
    piece_ += ",\n  \"dry_run\": ";
    piece_ += dryRun ? "true" : "false";
    piece_ += ",\n  \"entries\": [";
}

void PlanJsonWriter::Entry(const PlanItem& item) {
    piece_ += first_ ? "\n" : ",\n";
    first_ = false;
    AppendItem(piece_, item, codec_);
    if (piece_.size() >= kDocumentPieceSize) {
        out_(piece_);
        piece_.resize(0);
    }
}

void PlanJsonWriter::Finish(const RunPlan& plan) {
    piece_ += first_ ? "],\n  \"playlists\": [" : "\n  ],\n  \"playlists\": [";
    for (qsizetype k = 0; k < plan.playlists.size(); ++k) {
        piece_ += k == 0 ? "\n" : ",\n";
        AppendPlaylist(piece_, plan.playlists.at(k));
    }
    piece_ += plan.playlists.isEmpty() ? "],\n  \"errors\": " : "\n  ],\n  \"errors\": ";
    piece_ += QByteArray::number(plan.errorCount);
    piece_ += ",\n  \"complete\": ";
    piece_ += plan.complete ? "true" : "false";
    piece_ += ",\n  \"io_error\": ";
    if (plan.ioError) {
        piece_ += "{\"message\": ";
        AppendString(piece_, plan.ioError->Text());
        piece_ += ", ";
        AppendPath(piece_, "path", plan.ioError->Path());
        piece_ += '}';
    } else {
        piece_ += "null";
    }
    piece_ += "\n}\n";
    out_(piece_);
    piece_.resize(0);
}

QByteArray PlanJson(const RunPlan& plan) {
    QByteArray json;
    PlanJsonWriter writer(plan.process, plan.dryRun, plan.codec,
                          [&json](QByteArrayView piece) { json += piece; });
    for (const PlanItem& item : plan.items)
        writer.Entry(item);
    writer.Finish(plan);
    return json;
}

} // namespace vantuke
