#pragma once

#include "batch/BatchHost.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantuke {

// Makes a pick-only genre list as the "TAG" page and the query dialog both show it: twelve
// rows when dropped down, in every style, and narrow enough for a small window.
void SetUpGenreList(QComboBox& list);
// Makes a track box as the page and the dialog both show it: it takes a number from 1 to 255,
// or nothing (no track), and no other text.
void SetUpTrackBox(QLineEdit& box);

// The "ID3 Tag Query" dialog: shows the file being processed and its six tag values, of which
// the asked ones can be edited, and answers "OK", "&Ignore" or "&Abort". Beside the buttons
// it says which file of the run it asks about ("3 of 17"). It has no close button; Esc
// counts as "&Ignore".
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    // A row per field (TagRows.h): rows 0..4 are the texts Song Name, Artist, Album, Year,
    // Comment (Edit2..Edit6), then the track (Edit7) and the genre (ComboBox1).
    static constexpr int kTextRows = kTextFieldCount;
    static constexpr int kRows = kTagFillRows;

    // Takes over the entries of the page's genre list, so a position is a genre index.
    void CopyGenreList(const QComboBox& pageGenres);
    void SetFieldText(int row, const QString& text);
    QString FieldText(int row) const;
    // 0 empties the track box.
    void SetTrack(int track);
    int Track() const;
    // A position outside the list leaves no entry selected (-1).
    void SetGenre(int position);
    int Genre() const;
    // Enables or disables a row's value control together with its label.
    void SetFieldEnabled(int row, bool enabled);
    bool FieldEnabled(int row) const;

    // Shows the query for one file modally, the focus in the first enabled value control, and
    // returns the answer. On "OK" the controls' values are copied back into the query. When no
    // field is enabled the dialog is not shown and the answer is Ok.
    QueryResult Ask(TagQuery& query);

private:
    QWidget* ValueControl(int row) const;
    void Finish(QueryResult result);

    QLineEdit* path_;
    QLabel* entry_;
    std::array<QLineEdit*, kTextRows> texts_{};
    QLineEdit* track_ = nullptr;
    QComboBox* genre_ = nullptr;
    std::array<QLabel*, kRows> labels_{};
    QueryResult result_ = QueryResult::Ignore;
};

} // namespace vantuke
