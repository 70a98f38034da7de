#pragma once

#include "tag/CodePage.h"
#include "tag/TagRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace vantuke {

// A code page the guess offers for a set of tags.
struct CodePageCandidate {
    const CodePage* page = nullptr;
    int confidence = 0;  // 0 to 100, as ICU's detector rates it
    QStringList samples; // the two sample tags read in the page, one line each

    bool operator==(const CodePageCandidate&) const = default;
};

// Guesses the code page of many tags at once: a short text alone guesses badly, the texts of
// a whole collection well. The tags' text bytes go to ICU's charset detector together.
class CodePageGuess {
public:
    // Takes a tag's texts: the fields that hold a byte beyond ASCII (the others read alike in
    // every page and only thin the evidence), up to 1 MiB in all.
    void Add(const TTagRecord& tag);
    int TagCount() const { return tags_; }
    // True when some text holds a byte beyond ASCII: without one there is nothing to guess.
    bool HasTextBeyondAscii() const { return !text_.isEmpty(); }

    // The likely code pages, best first, each with the two tags richest in bytes beyond ASCII
    // read in it ("Title / Artist / Album", the fields that hold text). A name the detector
    // gives is mapped to the page ID3v1 writers used: ISO-8859-1 to Windows-1252, -2 to
    // Windows-1250, -7 to Windows-1253, -9 to Windows-1254, GB18030 to GBK, and ISO-8859-5
    // to Windows-1251, or to KOI8-R when the detector rates KOI8-R higher than Windows-1251.
    // Where the mapped page reads the texts otherwise, the detected page follows it. Pages
    // the program does not offer are left out. Empty without text beyond ASCII.
    QList<CodePageCandidate> Candidates() const;

private:
    QByteArray text_;
    int tags_ = 0;
    // The two tags with the most bytes beyond ASCII, the most first.
    struct Sample {
        int beyondAscii = 0;
        TTagRecord tag;
    };
    std::array<Sample, 2> samples_;
};

// One line about a tag: the texts of its fields that hold any, in field order, joined by
// " / ", read in the page (ShownFieldText).
QString TagSampleLine(const TTagRecord& tag, const CodePage& page);

// Reads the tags of the files through the file layer (files without one add nothing) and
// gathers them into a guess. Throws IoError, as reading a tag does.
CodePageGuess GuessCodePageOf(const QStringList& paths);

} // namespace vantuke
