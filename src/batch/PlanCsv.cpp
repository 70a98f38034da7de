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
    for (const char* key : kTagFieldKeys) {
        piece_ += ',';
        piece_ += key;
    }
    piece_ += ",genre\r\n";
}

void PlanCsvWriter::Entry(const PlanItem& item) {
    if (!item.tagBefore)
        return;
    TTagRecord record;
    ParseTagFields(QByteArrayView(item.tagBefore->data(), kTagSize).sliced(kTagMarkerSize), record);
    AppendField(piece_, NameToBytes(item.path));
    for (const TagField field : kTextFields) {
        piece_ += ',';
        AppendField(piece_, ShownFieldText(record.Field(field), codec_).toUtf8());
    }
    piece_ += ',';
    piece_ += QByteArray::number(record.Genre);
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
