#include "ui/WindowBatchHost.h"

#include "batch/ID3TagQuery.h"
#include "platform/NameDisplay.h"
#include "ui/StatusFile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace vantuke {

namespace {
constexpr qint64 kRepaintIntervalMs = 50;
} // namespace

WindowBatchHost::WindowBatchHost(QWidget& window, QPlainTextEdit& status, QProgressBar& progress,
                                 TForm2* query, const QCheckBox& playMp3, Player player)
    : window_(window), status_(status), progress_(progress), query_(query), playMp3_(playMp3),
      player_(std::move(player)) {
    sinceRepaint_.start();
}

void WindowBatchHost::LogLine(const QString& line) {
    pending_.append(NameForDisplay(line));
    RepaintNowAndThen();
}

void WindowBatchHost::ClearLog() {
    pending_.clear();
    status_.clear();
}

void WindowBatchHost::SetProgressMaximum(int maximum) {
    Flush();
    // A bar whose maximum equals its minimum turns into a busy indicator; an empty run
    // keeps a still, empty bar instead.
    progress_.setRange(0, std::max(1, maximum));
}

void WindowBatchHost::SetProgressPosition(int position) {
    position_ = position;
    positionPending_ = true;
    RepaintNowAndThen();
}

ConfirmAnswer WindowBatchHost::ConfirmTagRemoval(const QString& path) {
    Flush();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Remove TAG from file: ") + NameForDisplay(path) +
                        QStringLiteral(" ?"),
                    QMessageBox::NoButton, &window_);
    // A file name is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return ConfirmAnswer::Yes;
    if (box.clickedButton() == no)
        return ConfirmAnswer::No;
    return ConfirmAnswer::Cancel;
}

QueryResult WindowBatchHost::AskTag(TagQuery& query) {
    Flush();
    if (!query_)
        return QueryResult::Abort;
    if (playMp3_.isChecked() && player_)
        player_(query.path);
    return query_->Ask(query);
}

void WindowBatchHost::Flush() {
    if (!pending_.isEmpty()) {
        AppendStatusText(status_, pending_.join(QLatin1Char('\n')));
        pending_.clear();
    }
    if (positionPending_) {
        progress_.setValue(std::clamp(position_, progress_.minimum(), progress_.maximum()));
        positionPending_ = false;
    }
}

void WindowBatchHost::RepaintNowAndThen() {
    if (sinceRepaint_.elapsed() < kRepaintIntervalMs)
        return;
    Flush();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.restart();
}

} // namespace vantuke
