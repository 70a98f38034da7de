#include "ProgressLine.h"

namespace vantuke::cli {

namespace {

constexpr qint64 kRedrawMs = 100;
// Back to the start of the line, and clear it to its end.
constexpr char kClearLine[] = "\r\x1b[K";

} // namespace

void ProgressLine::Start(int total) {
    Erase();
    total_ = total;
    sinceStart_.start();
    lastDrawMs_ = 0;
}

void ProgressLine::Show(int done) {
    if (done == 0) {
        Erase();
        return;
    }
    if (total_ <= kMinEntries || !sinceStart_.isValid())
        return;
    const qint64 now = sinceStart_.elapsed();
    if (shown_ && now - lastDrawMs_ < kRedrawMs)
        return;
    lastDrawMs_ = now;
    Draw(done);
}

void ProgressLine::Draw(int done) {
    const qint64 ms = sinceStart_.elapsed();
    QString text = QStringLiteral("%1%2 of %3 files")
                       .arg(QString::fromLatin1(kClearLine))
                       .arg(done)
                       .arg(total_);
    // A rate over the first moments of a run says little.
    if (ms >= kRedrawMs)
        text += QStringLiteral(", %1 files/s").arg(qint64(done) * 1000 / ms);
    const QByteArray bytes = text.toLatin1();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), terminal_);
    std::fflush(terminal_);
    shown_ = true;
}

void ProgressLine::Erase() {
    if (!shown_)
        return;
    std::fputs(kClearLine, terminal_);
    std::fflush(terminal_);
    shown_ = false;
}

} // namespace vantuke::cli
