#pragma once

#include "batch/BatchOptions.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vantuke {

class TForm2;

// The "TAG" process page: a value per tag field with its "Ask:" and "Leave:" boxes, and
// "Play mp3 when asking for TAG". It keeps the "ID3 Tag Query" dialog in step with itself:
// the page's texts and genre are mirrored into the dialog, and each row's controls are
// enabled by the row's boxes.
class TagPage : public QWidget {
    Q_OBJECT
public:
    explicit TagPage(QWidget* parent = nullptr);

    // The dialog whose value controls this page steers; brought in step at once.
    void AttachQueryDialog(TForm2* dialog);

    QComboBox* GenreList() const { return genre_; }
    const QCheckBox* PlayMp3Box() const { return playMp3_; }

    TagFillOptions Options() const;
    // Sets the texts and genre, then the "Ask:" boxes before the "Leave:" boxes, each
    // change running the same rules as a click.
    void SetOptions(const TagFillOptions& options);

private:
    QWidget* ValueControl(int row) const;
    // Enables row k's controls here and in the dialog from the row's two boxes.
    void UpdateRow(int row);

    std::array<QLabel*, kTagFillRows> labels_{};
    std::array<QLineEdit*, kTextFieldCount> texts_{};
    QLineEdit* track_ = nullptr;
    QComboBox* genre_ = nullptr;
    std::array<QCheckBox*, kTagFillRows> ask_{};
    std::array<QCheckBox*, kTagFillRows> leave_{};
    QCheckBox* playMp3_;
    TForm2* dialog_ = nullptr;
};

} // namespace vantuke
