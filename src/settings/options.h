#pragma once

#include "convert/ProgramOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;

namespace vantuke {

// The Options dialog: the extension's letter case, the digit count of %N, whether read-only
// files are made writable, the code page of tag texts (which "Guess…" helps to find) and
// whether characters it lacks are transliterated, whether runs keep an undo history, whether
// they skip files that fail and whether they update the playlists that list the files they
// rename. There is no cancel: a change counts at once, and the window saves the settings
// whenever the dialog closes.
class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    ProgramOptions Options() const;
    // Slider positions outside 0..3 are clamped into it.
    void SetOptions(const ProgramOptions& options);
    // Chooses the page in "Tag text code page:" (the answer of a guess).
    void SetCodePage(const CodePage& page);

    QComboBox* CodePageList() const { return codePage_; }
    QPushButton* GuessButton() const { return guess_; }

signals:
    // Every close: "OK", the title-bar close box or Esc.
    void Closed();
    // "Guess…": the window guesses the code page of step 1's selected files.
    void GuessRequested();

private:
    QSlider* extensionFormat_;
    QSlider* numberOfDigits_;
    QCheckBox* eraseReadOnlyAttr_;
    QComboBox* codePage_;
    QPushButton* guess_;
    QCheckBox* transliterate_;
    QCheckBox* keepUndoHistory_;
    QCheckBox* skipFailedFiles_;
    QCheckBox* updatePlaylists_;
};

} // namespace vantuke
