#include "ui/AdjustPage.h"

#include "convert/SubstitutionTable.h"
#include "ui/Glyphs.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantuke {

namespace {

constexpr int kNumber = SubstitutionTable::kNumber;
constexpr int kWhat = SubstitutionTable::kWhat;

// The "Number" column is fixed: it looks like the header.
class FixedColumnLook : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->backgroundBrush = option->palette.brush(QPalette::Button);
    }
};

} // namespace

AdjustPage::AdjustPage(QWidget* parent)
    : QWidget(parent), model_(new SubstitutionTable(this)), table_(new QTableView(this)),
      what_(nullptr), with_(nullptr) {
    table_->setObjectName(QStringLiteral("StringGrid1"));
    table_->setAccessibleName(tr("Substitutions"));
    table_->setModel(model_);
    table_->setItemDelegateForColumn(kNumber, new FixedColumnLook(table_));
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
    SetCurrentRow(0);

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
    return model_->Rows();
}

void AdjustPage::SetRows(const QList<Substitution>& rows) {
    model_->SetRows(rows);
    SetCurrentRow(0);
}

void AdjustPage::AddRow() {
    model_->AddRow(Substitution{what_->text(), with_->text()});
    emit RowsChanged();
}

void AdjustPage::RemoveRow() {
    SetCurrentRow(model_->RemoveRow(table_->currentIndex().row()));
    emit RowsChanged();
}

void AdjustPage::ClearTable() {
    model_->Clear();
    SetCurrentRow(0);
}

void AdjustPage::SetCurrentRow(int row) {
    table_->setCurrentIndex(model_->index(row, kWhat));
}

} // namespace vantuke
