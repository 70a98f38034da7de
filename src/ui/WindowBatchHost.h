#pragma once

#include "batch/BatchHost.h"

#include <QElapsedTimer>
#include <QStringList>
#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

namespace vantuke {

class TForm2;

// The window's side of a run: the status box, the progress bar, the "Confirm" box and the
// "ID3 Tag Query" dialog. Lines and the bar's position are gathered and shown in batches
// about every 50 ms, with a repaint in between, so a long run neither freezes the window nor
// spends its time laying out one line at a time. User input stays blocked meanwhile.
class WindowBatchHost : public BatchHost {
public:
    using Player = std::function<void(const QString& path)>;

    WindowBatchHost(QWidget& window, QPlainTextEdit& status, QProgressBar& progress, TForm2* query,
                    const QCheckBox& playMp3, Player player);

    void LogLine(const QString& line) override;
    void ClearLog() override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    ConfirmAnswer ConfirmTagRemoval(const QString& path) override;
    QueryResult AskTag(TagQuery& query) override;

    // Shows every pending line and the bar's last position.
    void Flush();

private:
    // Flushes and lets the window repaint when the last repaint is long enough ago.
    void RepaintNowAndThen();

    QWidget& window_;
    QPlainTextEdit& status_;
    QProgressBar& progress_;
    TForm2* query_;
    const QCheckBox& playMp3_;
    Player player_;
    QStringList pending_;
    int position_ = 0;
    bool positionPending_ = false;
    QElapsedTimer sinceRepaint_;
};

} // namespace vantuke
