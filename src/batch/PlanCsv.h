#pragma once

#include "batch/RunPlan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace vantuke {

// The tags a listing found, as CSV (RFC 4180): a header row
//   path,song_name,artist,album,year,comment,track,genre
// (the fields' keys in the order of kTagFields) then one row per tagged file, in the listing's
// order, each row ended by CR LF. A field holding a comma, a quote, CR or LF is put in quotes,
// its quotes doubled. The texts are UTF-8, each the field's bytes before the first NUL in the
// code page (a byte that is no character of it as U+FFFD); the track is its number, or empty
// for none; the genre is its number. A path keeps its own bytes, as the listing's lines do, so
// a name that is not UTF-8 still names its file. Rows go out in pieces of about 64 KiB as the
// entries come.
class PlanCsvWriter {
public:
    using Out = std::function<void(QByteArrayView)>;

    // The tags' texts are read by codec.
    PlanCsvWriter(const TagCodec& codec, Out out);
    // A row when the entry found a tag; nothing otherwise.
    void Entry(const PlanItem& item);
    // Writes out what is left.
    void Finish();

private:
    TagCodec codec_;
    Out out_;
    QByteArray piece_;
};

} // namespace vantuke
