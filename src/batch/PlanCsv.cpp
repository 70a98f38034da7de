#include "batch/PlanCsv.h"

#include "platform/NameBytes.h"
#include "tag/TagBytes.h"

namespace vantuke {

namespace {

void AppendField(QByteArray& out, const QByteArray& bytes) {
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') &&
        !bytes.contains('\n')) {
        out += bytes;
        return;
    }
    out += '"';
    for (const char byte : bytes) {
        if (byte == '"')
            out += '"';
        out += byte;
    }
    out += '"';
}

} // namespace

PlanCsvWriter::PlanCsvWriter(const TagCodec& codec, Out out) : codec_(codec), out_(std::move(out)) {
    piece_.reserve(kDocumentPieceSize + 4096);
    piece_ += "path";
    for (const TagFieldInfo& info : kTagFields) {
        piece_ += ',';
        piece_ += info.documentKey;
    }
    piece_ += "\r\n";
}

void PlanCsvWriter::Entry(const PlanItem& item) {
    if (!item.tagBefore)
        return;
    TTagRecord record;
    ParseTagFields(QByteArrayView(item.tagBefore->data(), kTagSize).sliced(kTagMarkerSize), record);
    AppendField(piece_, NameToBytes(item.path));
    for (const TagFieldInfo& info : kTagFields) {
        piece_ += ',';
        switch (info.kind) {
        case FieldKind::Text:
            AppendField(piece_, ShownFieldText(record.Field(info.field), codec_).toUtf8());
            break;
        case FieldKind::Number:
            piece_ += TrackText(record.Track).toLatin1();
            break;
        case FieldKind::Genre:
            piece_ += QByteArray::number(record.Genre);
            break;
        }
    }
    piece_ += "\r\n";
    if (piece_.size() >= kDocumentPieceSize) {
        out_(piece_);
        piece_.resize(0);
    }
}

void PlanCsvWriter::Finish() {
    out_(piece_);
    piece_.resize(0);
}

} // namespace vantuke
