// The undo history's journal reader: any bytes (a journal cut off, damaged or not one at all)
// read without a crash, up to the last whole record; what is read, written again, reads back
// the same; and a journal cut anywhere reads as a part of what the whole one holds.
#include "FuzzSupport.h"
#include "journal/JournalFormat.h"

using namespace vantuke;

namespace {

QByteArray Written(const JournalContents& contents) {
    QByteArray bytes;
    AppendJournalStart(bytes, contents.header);
    for (const ChangeRecord& change : contents.changes)
        AppendChangeRecord(bytes, change);
    for (const quint32 sequence : contents.done)
        AppendDoneRecord(bytes, sequence, sequence);
    if (contents.end)
        AppendEndRecord(bytes, *contents.end);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<JournalContents> read = ParseJournal(bytes);
    const std::optional<RunHeader> header = ParseJournalHeader(bytes);
    FUZZ_CHECK(read.has_value() == header.has_value());
    if (!read)
        return 0;
    FUZZ_CHECK(read->header == *header);
    for (const ChangeRecord& change : read->changes) {
        FUZZ_CHECK(change.oldLast.size() <= 0xFFFF);
        FUZZ_CHECK(change.newLast.size() <= 0xFFFF);
    }

    // Written again (done marks one by one, which reads the same), it reads back the same.
    const QByteArray again = Written(*read);
    const std::optional<JournalContents> reread = ParseJournal(again);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(reread->header == read->header);
    FUZZ_CHECK(reread->changes == read->changes);
    FUZZ_CHECK(reread->done == read->done);
    FUZZ_CHECK(reread->end == read->end);
    FUZZ_CHECK(!reread->damaged);

    // Cut anywhere, the written journal reads as a part of it.
    const qsizetype cut = again.size() * qsizetype(size % 97) / 97;
    if (const std::optional<JournalContents> part = ParseJournal(again.first(cut))) {
        FUZZ_CHECK(part->changes.size() <= read->changes.size());
        for (qsizetype k = 0; k < part->changes.size(); ++k)
            FUZZ_CHECK(part->changes.at(k) == read->changes.at(k));
    }
    return 0;
}
