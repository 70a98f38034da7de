#include "ui/TagPage.h"

#include "batch/TagRows.h"

#include "batch/ID3TagQuery.h"
#include "tag/Genres.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vantuke {

TagPage::TagPage(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);

    // The two narrow groups stand behind the columns of boxes; the boxes sit in the grid's
    // own rows so that each lines up with its field. Row 0 leaves room for the captions.
    auto* askGroup = new QGroupBox(QStringLiteral("Ask:"), this);
    auto* leaveGroup = new QGroupBox(QStringLiteral("Leave:"), this);
    askGroup->setObjectName(QStringLiteral("GroupBox1"));
    leaveGroup->setObjectName(QStringLiteral("GroupBox2"));
    for (QGroupBox* group : {askGroup, leaveGroup}) {
        group->setFocusPolicy(Qt::NoFocus);
        group->setMinimumWidth(group->fontMetrics().horizontalAdvance(group->title()) + 16);
    }
    grid->addWidget(askGroup, 0, 2, kTagFillRows + 2, 1);
    grid->addWidget(leaveGroup, 0, 3, kTagFillRows + 2, 1);
    grid->setRowMinimumHeight(0, fontMetrics().height() + 2);
    grid->setRowMinimumHeight(kTagFillRows + 1, 4);

    for (int row = 0; row < kTagFillRows; ++row) {
        switch (RowField(row).kind) {
        case FieldKind::Text:
            texts_[row] = new QLineEdit(this);
            texts_[row]->setMaxLength(TagRowMaxLength(row));
            connect(texts_[row], &QLineEdit::textChanged, this, [this, row](const QString& text) {
                if (dialog_)
                    dialog_->SetFieldText(row, text);
            });
            break;
        case FieldKind::Number:
            track_ = new QLineEdit(this);
            SetUpTrackBox(*track_);
            connect(track_, &QLineEdit::textChanged, this, [this](const QString& text) {
                if (dialog_)
                    dialog_->SetTrack(TrackOfBox(text));
            });
            break;
        case FieldKind::Genre:
            genre_ = new QComboBox(this);
            SetUpGenreList(*genre_);
            for (int genre = 0; genre < kGenreCount; ++genre)
                genre_->addItem(GenreName(genre));
            genre_->setCurrentIndex(-1);
            break;
        }
        QWidget* value = ValueControl(row);
        const TagRowControls& names = kTagRowControls[size_t(row)];
        value->setObjectName(TagRowControlName(row));
        labels_[row] = new QLabel(TagRowLabel(row), this);
        labels_[row]->setObjectName(QStringLiteral("Label%1").arg(names.pageLabel));
        labels_[row]->setBuddy(value);

        // Spoken after "Ask" / "Leave" for the caption-less boxes of each row.
        const QString field = TagRowName(row);
        ask_[row] = new QCheckBox(this);
        ask_[row]->setObjectName(QStringLiteral("CheckBox%1").arg(names.askBox));
        ask_[row]->setAccessibleName(tr("Ask %1").arg(field));
        ask_[row]->setToolTip(tr("Ask for the %1 of each file").arg(field));
        ask_[row]->setChecked(true);
        leave_[row] = new QCheckBox(this);
        leave_[row]->setObjectName(QStringLiteral("CheckBox%1").arg(names.leaveBox));
        leave_[row]->setAccessibleName(tr("Leave %1").arg(field));
        leave_[row]->setToolTip(tr("Keep the %1 each file has").arg(field));

        grid->addWidget(labels_[row], row + 1, 0);
        grid->addWidget(value, row + 1, 1);
        grid->addWidget(ask_[row], row + 1, 2, Qt::AlignHCenter);
        grid->addWidget(leave_[row], row + 1, 3, Qt::AlignHCenter);

        connect(ask_[row], &QCheckBox::toggled, this, [this, row] { UpdateRow(row); });
        connect(leave_[row], &QCheckBox::toggled, this, [this, row] { UpdateRow(row); });
    }
    connect(genre_, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (dialog_)
            dialog_->SetGenre(position);
    });

    playMp3_ = new QCheckBox(QStringLiteral("Play mp3 when asking for TAG"), this);
    playMp3_->setObjectName(QStringLiteral("CheckBox13"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addLayout(grid);
    layout->addWidget(playMp3_);
    layout->addStretch(1);
}

void TagPage::AttachQueryDialog(TForm2* dialog) {
    dialog_ = dialog;
    if (!dialog_)
        return;
    for (int row = 0; row < kTextFieldCount; ++row)
        dialog_->SetFieldText(row, texts_[row]->text());
    dialog_->SetTrack(TrackOfBox(track_->text()));
    dialog_->SetGenre(genre_->currentIndex());
    for (int row = 0; row < kTagFillRows; ++row)
        UpdateRow(row);
}

TagFillOptions TagPage::Options() const {
    TagFillOptions options;
    for (int row = 0; row < kTextFieldCount; ++row)
        options.values[row] = texts_[row]->text();
    options.track = TrackOfBox(track_->text());
    options.genre = genre_->currentIndex();
    for (int row = 0; row < kTagFillRows; ++row) {
        options.ask[row] = ask_[row]->isChecked();
        options.leave[row] = leave_[row]->isChecked();
    }
    return options;
}

void TagPage::SetOptions(const TagFillOptions& options) {
    for (int row = 0; row < kTextFieldCount; ++row)
        texts_[row]->setText(options.values[row]);
    track_->setText(TrackText(options.track));
    genre_->setCurrentIndex(options.genre >= 0 && options.genre < kGenreCount ? options.genre : -1);
    for (int row = 0; row < kTagFillRows; ++row)
        ask_[row]->setChecked(options.ask[row]);
    for (int row = 0; row < kTagFillRows; ++row)
        leave_[row]->setChecked(options.leave[row]);
}

QWidget* TagPage::ValueControl(int row) const {
    return RowValueControl<QWidget>(row, texts_, track_, genre_);
}

void TagPage::UpdateRow(int row) {
    const bool leave = leave_[row]->isChecked();
    const bool asked = TagFillOptions::AskedWith(ask_[row]->isChecked(), leave);
    labels_[row]->setEnabled(!leave);
    ValueControl(row)->setEnabled(!leave);
    ask_[row]->setEnabled(!leave);
    if (dialog_)
        dialog_->SetFieldEnabled(row, asked);
}

} // namespace vantuke
