#pragma once

#include "convert/ProgramOptions.h"

#include <QDialog>

class QCheckBox;
class QSlider;

namespace vantuke {

// The Options dialog: the extension's letter case, the digit count of %N, whether read-only
// files are made writable, whether runs keep an undo history and whether they skip files that
// fail. There is no cancel: a change
// counts at once, and the window saves the settings whenever the dialog closes.
class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    ProgramOptions Options() const;
    // Slider positions outside 0..3 are clamped into it.
    void SetOptions(const ProgramOptions& options);

signals:
    // Every close: "OK", the title-bar close box or Esc.
    void Closed();

private:
    QSlider* extensionFormat_;
    QSlider* numberOfDigits_;
    QCheckBox* eraseReadOnlyAttr_;
    QCheckBox* keepUndoHistory_;
    QCheckBox* skipFailedFiles_;
};

} // namespace vantuke
