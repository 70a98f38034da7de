#pragma once

#include "tag/CodePageGuess.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace vantuke {

// "Guess Code Page": the code pages the tags of step 1's selected files are likely in, best
// first, each with two of the tags read in it, so that a person sees which reads right. "OK"
// (or a double click) takes the chosen page; without candidates there is nothing to take and
// the dialog says why.
class CodePageGuessDialog : public QDialog {
    Q_OBJECT
public:
    // fileCount: how many files the guess read.
    CodePageGuessDialog(const CodePageGuess& guess, int fileCount, QWidget* parent = nullptr);

    // The page chosen in the list; null when it holds none.
    const CodePage* ChosenPage() const;

    QLabel* Message() const { return message_; }
    QListWidget* List() const { return list_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QList<const CodePage*> pages_;
    QLabel* message_;
    QListWidget* list_;
    QPushButton* ok_;
};

} // namespace vantuke
