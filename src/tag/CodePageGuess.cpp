#include "tag/CodePageGuess.h"

#include "tag/FileSystem.h"

#include <unicode/ucsdet.h>

#include <QHash>

#include <algorithm>
#include <memory>

namespace vantuke {

namespace {

// More text does not make a better guess, only a slower one.
constexpr qsizetype kMaxGuessText = 1024 * 1024;

// The detector's names for pages it tells apart from those ID3v1 writers used, and the page
// such tags were written in.
struct DetectedName {
    const char* detected;
    const char* page;
};
constexpr DetectedName kWriterPages[] = {
    {"ISO-8859-1", "windows-1252"}, {"ISO-8859-2", "windows-1250"}, {"ISO-8859-5", "windows-1251"},
    {"ISO-8859-7", "windows-1253"}, {"ISO-8859-9", "windows-1254"}, {"GB18030", "GBK"},
};

int BytesBeyondAscii(QByteArrayView bytes) {
    return int(std::count_if(bytes.begin(), bytes.end(), [](char c) { return quint8(c) >= 0x80; }));
}

QByteArrayView TextBytes(const QByteArray& field) {
    return QByteArrayView(field).first(qstrnlen(field.constData(), size_t(field.size())));
}

struct CloseDetector {
    void operator()(UCharsetDetector* detector) const { ucsdet_close(detector); }
};

// What ICU's detector makes of the text: each charset it considers, with its confidence,
// best first.
QList<std::pair<QString, int>> Detect(const QByteArray& text) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, CloseDetector> detector(ucsdet_open(&status));
    if (U_FAILURE(status))
        return {};
    ucsdet_setText(detector.get(), text.constData(), int32_t(text.size()), &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    QList<std::pair<QString, int>> found;
    for (int32_t k = 0; U_SUCCESS(status) && k < count; ++k) {
        const char* name = ucsdet_getName(matches[k], &status);
        const int confidence = ucsdet_getConfidence(matches[k], &status);
        if (U_SUCCESS(status))
            found.append({QString::fromLatin1(name), confidence});
    }
    return found;
}

} // namespace

void CodePageGuess::Add(const TTagRecord& tag) {
    ++tags_;
    int beyondAscii = 0;
    for (const TagField field : kTextFields) {
        const QByteArrayView bytes = TextBytes(tag.Field(field));
        const int count = BytesBeyondAscii(bytes);
        if (count == 0)
            continue;
        beyondAscii += count;
        if (text_.size() + bytes.size() < kMaxGuessText) {
            text_ += bytes;
            text_ += ' ';
        }
    }
    if (beyondAscii == 0)
        return;
    if (beyondAscii > samples_[0].beyondAscii) {
        samples_[1] = std::move(samples_[0]);
        samples_[0] = Sample{beyondAscii, tag};
    } else if (beyondAscii > samples_[1].beyondAscii) {
        samples_[1] = Sample{beyondAscii, tag};
    }
}

QList<CodePageCandidate> CodePageGuess::Candidates() const {
    QList<CodePageCandidate> candidates;
    if (text_.isEmpty())
        return candidates;
    const QList<std::pair<QString, int>> detected = Detect(text_);
    QHash<QString, int> confidenceOf;
    for (const auto& [name, confidence] : detected)
        confidenceOf.insert(name, confidence);

    const auto add = [&](const CodePage* page, int confidence) {
        const bool known =
            std::any_of(candidates.begin(), candidates.end(),
                        [page](const CodePageCandidate& c) { return c.page == page; });
        if (!page || known)
            return;
        CodePageCandidate candidate{page, confidence, {}};
        for (const Sample& sample : samples_) {
            if (sample.beyondAscii > 0)
                candidate.samples << TagSampleLine(sample.tag, *page);
        }
        candidates.append(candidate);
    };
    for (const auto& [name, confidence] : detected) {
        const CodePage* page = FindCodePage(name);
        const CodePage* writers = nullptr;
        for (const DetectedName& mapping : kWriterPages) {
            if (name == QLatin1String(mapping.detected))
                writers = FindCodePage(QString::fromLatin1(mapping.page));
        }
        if (name == QLatin1String("ISO-8859-5") &&
            confidenceOf.value(QStringLiteral("KOI8-R")) >
                confidenceOf.value(QStringLiteral("windows-1251")))
            writers = FindCodePage(u"KOI8-R");
        if (!writers) {
            add(page, confidence);
            continue;
        }
        add(writers, confidence);
        // The detected page stays on offer where it reads the texts otherwise.
        if (page && page->Text(text_) != writers->Text(text_))
            add(page, confidence);
    }
    return candidates;
}

QString TagSampleLine(const TTagRecord& tag, const CodePage& page) {
    const TagCodec codec{&page, false};
    QStringList texts;
    for (const TagField field : kTextFields) {
        const QString text = ShownFieldText(tag.Field(field), codec).trimmed();
        if (!text.isEmpty())
            texts << text;
    }
    return texts.join(QStringLiteral(" / "));
}

CodePageGuess GuessCodePageOf(const QStringList& paths) {
    CodePageGuess guess;
    TTagRecord tag;
    // Read ahead in this order where that pays (a network share).
    DiskFileSystem files;
    files.WillOpen(paths, OpenMode::Read, 0);
    for (const QString& path : paths) {
        if (ReadTagIfPresent(files, path, tag))
            guess.Add(tag);
    }
    return guess;
}

} // namespace vantuke
