#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

namespace vantuke::cli {

// A one-line progress display for a person watching a long run: "1234 of 10000 files, 2890
// files/s", drawn when the first entry is done, redrawn in place at most ten times a second
// and erased when the run ends. Runs of kMinEntries entries or fewer show none.
class ProgressLine {
public:
    static constexpr int kMinEntries = 1000;

    explicit ProgressLine(std::FILE* terminal) : terminal_(terminal) {}
    ~ProgressLine() { Erase(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Start(int total);
    // Entries done so far; 0 (the start and the end of a run) shows nothing.
    void Show(int done);
    // Takes the line off the screen, so that other output starts on a clean line; the next
    // Show draws it again.
    void Erase();

private:
    void Draw(int done);

    std::FILE* terminal_;
    int total_ = 0;
    bool shown_ = false;
    QElapsedTimer sinceStart_;
    qint64 lastDrawMs_ = 0;
};

} // namespace vantuke::cli
