#include "ui/AdjustPage.h"

#include "ui/Glyphs.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vantuke {

namespace {
constexpr int kNumber = 0;
constexpr int kWhat = 1;
constexpr int kWith = 2;
} // namespace

AdjustPage::AdjustPage(QWidget* parent)
    : QWidget(parent), table_(new QTableWidget(0, 3, this)), what_(nullptr), with_(nullptr) {
    table_->setObjectName(QStringLiteral("StringGrid1"));
    table_->setAccessibleName(tr("Substitutions"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Number"), QStringLiteral("Replace what:"), QStringLiteral("with:")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(kNumber,
                           table_->fontMetrics().horizontalAdvance(QStringLiteral("Number")) + 16);
    table_->setColumnWidth(kWhat, 110);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(false);
    SetRowCount(1);
    table_->setCurrentCell(0, kWhat);

    auto* whatLabel = new QLabel(QStringLiteral("What:"), this);
    what_ = new QLineEdit(this);
    what_->setObjectName(QStringLiteral("Edit1"));
    whatLabel->setBuddy(what_);
    auto* withLabel = new QLabel(QStringLiteral("With:"), this);
    with_ = new QLineEdit(this);
    with_->setObjectName(QStringLiteral("Edit9"));
    withLabel->setBuddy(with_);

    auto* add = MakeGlyphButton(Glyph::Add, tr("Add row"), QStringLiteral("SpeedButton18"), this);
    auto* remove =
        MakeGlyphButton(Glyph::Remove, tr("Remove row"), QStringLiteral("SpeedButton17"), this);
    auto* clear =
        MakeGlyphButton(Glyph::Clear, tr("Clear table"), QStringLiteral("SpeedButton16"), this);
    connect(add, &QToolButton::clicked, this, &AdjustPage::AddRow);
    connect(remove, &QToolButton::clicked, this, &AdjustPage::RemoveRow);
    connect(clear, &QToolButton::clicked, this, &AdjustPage::ClearTable);

    auto* fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(4);
    fields->setVerticalSpacing(3);
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(what_, 0, 1);
    fields->addWidget(withLabel, 1, 0);
    fields->addWidget(with_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    fields->addLayout(buttons, 0, 2, 2, 1, Qt::AlignVCenter);
    fields->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(table_, 1);
    layout->addLayout(fields);
}

QList<Substitution> AdjustPage::Rows() const {
    QList<Substitution> rows;
    rows.reserve(table_->rowCount());
    for (int row = 0; row < table_->rowCount(); ++row)
        rows.append(Substitution{Cell(row, kWhat), Cell(row, kWith)});
    return rows;
}

void AdjustPage::SetRows(const QList<Substitution>& rows) {
    SetRowCount(std::max<int>(1, int(rows.size())));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const Substitution cells = row < rows.size() ? rows.at(row) : Substitution{};
        SetCell(row, kNumber, QString());
        SetCell(row, kWhat, cells.what);
        SetCell(row, kWith, cells.with);
    }
    table_->setCurrentCell(0, kWhat);
}

void AdjustPage::AddRow() {
    int target = 0;
    if (!IsEmptyTable()) {
        target = table_->rowCount();
        SetRowCount(target + 1);
    }
    SetCell(target, kNumber, QString::number(target + 1));
    SetCell(target, kWhat, what_->text());
    SetCell(target, kWith, with_->text());
    emit RowsChanged();
}

void AdjustPage::RemoveRow() {
    const int current = std::max(0, table_->currentRow());
    const int count = table_->rowCount();
    // The texts below the current row move up one row; the "Number" cells stay put.
    for (int row = current; row < count - 1; ++row) {
        SetCell(row, kWhat, Cell(row + 1, kWhat));
        SetCell(row, kWith, Cell(row + 1, kWith));
    }
    SetCell(count - 1, kWhat, QString());
    SetCell(count - 1, kWith, QString());
    if (count > 1)
        SetRowCount(count - 1);
    table_->setCurrentCell(std::min(current, table_->rowCount() - 1), kWhat);
    emit RowsChanged();
}

void AdjustPage::ClearTable() {
    SetRowCount(1);
    for (int column = kNumber; column <= kWith; ++column)
        SetCell(0, column, QString());
    table_->setCurrentCell(0, kWhat);
}

QString AdjustPage::Cell(int row, int column) const {
    const QTableWidgetItem* item = table_->item(row, column);
    return item ? item->text() : QString();
}

void AdjustPage::SetCell(int row, int column, const QString& text) {
    table_->item(row, column)->setText(text);
}

void AdjustPage::SetRowCount(int count) {
    const int old = table_->rowCount();
    table_->setRowCount(count);
    // Every cell has an item, so Cell and SetCell never meet a gap. The "Number" column is
    // fixed: it looks like the header and cannot be picked on its own.
    const QBrush fixedLook = table_->palette().brush(QPalette::Button);
    for (int row = old; row < count; ++row) {
        for (int column = kNumber; column <= kWith; ++column) {
            auto* item = new QTableWidgetItem;
            if (column == kNumber)
                item->setBackground(fixedLook);
            table_->setItem(row, column, item);
        }
    }
}

bool AdjustPage::IsEmptyTable() const {
    return table_->rowCount() == 1 && Cell(0, kWhat).isEmpty() && Cell(0, kWith).isEmpty();
}

} // namespace vantuke
