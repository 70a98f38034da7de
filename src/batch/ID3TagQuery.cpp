#include "batch/ID3TagQuery.h"

#include "batch/TagRows.h"
#include "platform/NameDisplay.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace vantuke {

namespace {

constexpr int kInitialWidth = 311;
constexpr int kHeight = 253;
constexpr int kMinimumWidth = 248;
constexpr int kVisibleGenres = 12;
constexpr int kButtonPadding = 24;

// The read-only path box: entering it, also by Tab, selects nothing; the path is there to be
// read.
class PathBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        deselect();
    }
};

// Takes nothing, or a number from 1 to 255 written without leading zeros; while typing, what
// can still become one.
class TrackValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        if (input.isEmpty())
            return Acceptable;
        if (input.startsWith(u'0') || input.size() > 3)
            return Invalid;
        const std::optional<int> track = TrackFromText(input);
        return track && *track <= kMaxTrack ? Acceptable : Invalid;
    }
};

bool ValidRow(int row) {
    return row >= 0 && row < TForm2::kRows;
}
bool ValidTextRow(int row) {
    return row >= 0 && row < TForm2::kTextRows;
}

} // namespace

void SetUpTrackBox(QLineEdit& box) {
    box.setMaxLength(TagRowMaxLength(kTrackRow));
    box.setValidator(new TrackValidator(&box));
}

void SetUpGenreList(QComboBox& list) {
    list.setEditable(false);
    list.setMaxVisibleItems(kVisibleGenres);
    // Styles that drop a pick-only list as a menu (Fusion among them) ignore the row count
    // and open all 148 names at once; this keeps the list to its twelve rows.
    list.setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    list.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list.setMinimumContentsLength(8);
}

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("ID3 Tag Query"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);

    auto* pathLabel = new QLabel(QStringLiteral("Processing file:"), this);
    pathLabel->setObjectName(QStringLiteral("Label1"));
    path_ = new PathBox(this);
    path_->setObjectName(QStringLiteral("Edit1"));
    path_->setReadOnly(true);
    QPalette look = path_->palette();
    look.setColor(QPalette::Base, look.color(QPalette::Button));
    look.setColor(QPalette::Text, Qt::black);
    path_->setPalette(look);
    pathLabel->setBuddy(path_);
    grid->addWidget(pathLabel, 0, 0);
    grid->addWidget(path_, 0, 1);

    // Made in row order, which is the order Tab follows.
    for (int row = 0; row < kRows; ++row) {
        switch (RowField(row).kind) {
        case FieldKind::Text:
            texts_[row] = new QLineEdit(this);
            texts_[row]->setMaxLength(TagRowMaxLength(row));
            break;
        case FieldKind::Number:
            track_ = new QLineEdit(this);
            SetUpTrackBox(*track_);
            break;
        case FieldKind::Genre:
            genre_ = new QComboBox(this);
            SetUpGenreList(*genre_);
            break;
        }
        QWidget* control = ValueControl(row);
        control->setObjectName(TagRowControlName(row));
        labels_[row] = new QLabel(TagRowLabel(row), this);
        labels_[row]->setObjectName(
            QStringLiteral("Label%1").arg(kTagRowControls[size_t(row)].dialogLabel));
        labels_[row]->setBuddy(control);
        grid->addWidget(labels_[row], row + 1, 0);
        grid->addWidget(control, row + 1, 1);
    }

    auto* buttons = new QHBoxLayout;
    entry_ = new QLabel(this);
    entry_->setObjectName(QStringLiteral("EntryLabel"));
    buttons->addWidget(entry_);
    buttons->addStretch(1);
    const std::array<std::pair<const char*, QueryResult>, 3> kButtons{{
        {"OK", QueryResult::Ok},
        {"&Ignore", QueryResult::Ignore},
        {"&Abort", QueryResult::Abort},
    }};
    int number = 1;
    for (const auto& [caption, result] : kButtons) {
        auto* button = new QPushButton(QLatin1String(caption), this);
        button->setObjectName(QStringLiteral("BitBtn%1").arg(number++));
        button->setDefault(result == QueryResult::Ok);
        // The style makes buttons 80 pixels wide; at the dialog's smallest width they may
        // shrink to what their captions need.
        button->setMinimumWidth(
            button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) +
            kButtonPadding);
        connect(button, &QPushButton::clicked, this, [this, answer = result] { Finish(answer); });
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // The height is fixed; it grows beyond the usual one only when a large system font would
    // otherwise cut the rows off.
    const int height = std::max(kHeight, layout->minimumSize().height());
    setMinimumSize(std::max(kMinimumWidth, layout->minimumSize().width()), height);
    setMaximumHeight(height);
    resize(std::max(kInitialWidth, minimumWidth()), height);
}

void TForm2::CopyGenreList(const QComboBox& pageGenres) {
    genre_->clear();
    for (int position = 0; position < pageGenres.count(); ++position)
        genre_->addItem(pageGenres.itemText(position));
    genre_->setCurrentIndex(-1);
}

void TForm2::SetFieldText(int row, const QString& text) {
    if (ValidTextRow(row))
        texts_[row]->setText(text);
}

QString TForm2::FieldText(int row) const {
    return ValidTextRow(row) ? texts_[row]->text() : QString();
}

void TForm2::SetTrack(int track) {
    track_->setText(TrackText(track));
}

int TForm2::Track() const {
    return TrackOfBox(track_->text());
}

void TForm2::SetGenre(int position) {
    genre_->setCurrentIndex(position >= 0 && position < genre_->count() ? position : -1);
}

int TForm2::Genre() const {
    return genre_->currentIndex();
}

QWidget* TForm2::ValueControl(int row) const {
    return RowValueControl<QWidget>(row, texts_, track_, genre_);
}

void TForm2::SetFieldEnabled(int row, bool enabled) {
    if (!ValidRow(row))
        return;
    ValueControl(row)->setEnabled(enabled);
    labels_[row]->setEnabled(enabled);
}

bool TForm2::FieldEnabled(int row) const {
    return ValidRow(row) && ValueControl(row)->isEnabled();
}

void TForm2::Finish(QueryResult result) {
    result_ = result;
    if (result == QueryResult::Ok)
        accept();
    else
        reject();
}

QueryResult TForm2::Ask(TagQuery& query) {
    const QString shown = NameForDisplay(query.path);
    path_->setText(shown);
    // A path longer than the box is wide can be read whole.
    path_->setToolTip(shown);
    path_->deselect();
    const bool numbered = query.entryNumber > 0 && query.entryCount > 0;
    entry_->setText(numbered
                        ? QStringLiteral("%1 of %2").arg(query.entryNumber).arg(query.entryCount)
                        : QString());
    // A run of many thousands of files may need the dialog a little wider than its usual
    // smallest width.
    layout()->invalidate();
    layout()->activate();
    setMinimumWidth(std::max(kMinimumWidth, layout()->minimumSize().width()));
    for (int row = 0; row < kTextRows; ++row)
        SetFieldText(row, query.texts[row]);
    SetTrack(query.track);
    SetGenre(query.genre);
    for (int row = 0; row < kRows; ++row)
        SetFieldEnabled(row, query.enabled[row]);

    QWidget* first = nullptr;
    for (int row = 0; row < kRows && !first; ++row)
        if (FieldEnabled(row))
            first = ValueControl(row);

    if (first) {
        // Whatever ends the dialog other than "OK" or "&Abort" (Esc, the window manager)
        // leaves this answer.
        result_ = QueryResult::Ignore;
        first->setFocus(Qt::OtherFocusReason);
        exec();
    } else {
        result_ = QueryResult::Ok;
    }

    if (result_ == QueryResult::Ok) {
        for (int row = 0; row < kTextRows; ++row)
            query.texts[row] = FieldText(row);
        query.track = Track();
        query.genre = Genre();
    }
    return result_;
}

} // namespace vantuke
