#include "settings/CodePageGuessDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantuke {

namespace {

constexpr QSize kInitialSize(440, 320);

QString MessageFor(const CodePageGuess& guess, int fileCount, bool candidates) {
    const QString files = fileCount == 1 ? QStringLiteral("the selected file")
                                         : QStringLiteral("the %1 selected files").arg(fileCount);
    if (fileCount == 0)
        return QStringLiteral("No files are selected on step 1: select the files whose tags "
                              "to read, then guess again.");
    if (guess.TagCount() == 0)
        return fileCount == 1 ? QStringLiteral("The selected file has no tag.")
                              : QStringLiteral("None of %1 has a tag.").arg(files);
    if (!guess.HasTextBeyondAscii())
        return QStringLiteral("The tags of %1 hold ASCII text only: every code page reads them "
                              "alike.")
            .arg(files);
    if (!candidates)
        return QStringLiteral("No code page fits the tags of %1.").arg(files);
    return QStringLiteral("The tags of %1 are likely in these code pages, best first. Choose the "
                          "one in which they read right:")
        .arg(files);
}

} // namespace

CodePageGuessDialog::CodePageGuessDialog(const CodePageGuess& guess, int fileCount, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CodePageGuessDialog"));
    setWindowTitle(QStringLiteral("Guess Code Page"));
    setSizeGripEnabled(true);

    const QList<CodePageCandidate> candidates = guess.Candidates();
    message_ = new QLabel(MessageFor(guess, fileCount, !candidates.isEmpty()), this);
    message_->setObjectName(QStringLiteral("Label1"));
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox1"));
    list_->setAccessibleName(QStringLiteral("Code pages"));
    list_->setAlternatingRowColors(true);
    // A narrow dialog wraps the samples rather than hide their ends.
    list_->setWordWrap(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setSpacing(2);
    for (const CodePageCandidate& candidate : candidates) {
        QStringList lines{QStringLiteral("%1, confidence %2")
                              .arg(candidate.page->HumanName())
                              .arg(candidate.confidence)};
        for (const QString& sample : candidate.samples)
            lines << QStringLiteral("    ") + sample;
        auto* item = new QListWidgetItem(lines.join(QLatin1Char('\n')), list_);
        item->setToolTip(lines.join(QLatin1Char('\n')));
        pages_.append(candidate.page);
    }
    list_->setCurrentRow(candidates.isEmpty() ? -1 : 0);
    message_->setBuddy(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(!candidates.isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(kInitialSize);
}

const CodePage* CodePageGuessDialog::ChosenPage() const {
    return pages_.value(list_->currentRow(), nullptr);
}

} // namespace vantuke
