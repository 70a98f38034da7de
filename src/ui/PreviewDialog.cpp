#include "ui/PreviewDialog.h"

#include "batch/PlanModel.h"
#include "platform/NameDisplay.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace vantuke {

namespace {

constexpr QSize kInitialSize(760, 460);

// The plan's rows sorted by the column clicked, filtered to those with notes on request, and
// marked where they have notes: a light amber background, dark text on it whatever the
// palette, and a warning icon by the number.
class PreviewRows final : public QSortFilterProxyModel {
public:
    explicit PreviewRows(QObject* parent) : QSortFilterProxyModel(parent) {
        setSortRole(PlanModel::SortRole);
        setSortLocaleAware(true);
        warning_ = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    }

    void ShowOnlyNotes(bool only) {
        onlyNotes_ = only;
        invalidateFilter();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::BackgroundRole || role == Qt::ForegroundRole ||
            role == Qt::DecorationRole) {
            if (!QSortFilterProxyModel::data(index, PlanModel::HasNotesRole).toBool())
                return QSortFilterProxyModel::data(index, role);
            if (role == Qt::BackgroundRole)
                return QColor(255, 236, 179);
            if (role == Qt::ForegroundRole)
                return QColor(Qt::black);
            if (index.column() == PlanModel::NumberColumn)
                return warning_;
        }
        return QSortFilterProxyModel::data(index, role);
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override {
        return !onlyNotes_ || sourceModel()
                                  ->index(sourceRow, 0, sourceParent)
                                  .data(PlanModel::HasNotesRole)
                                  .toBool();
    }

private:
    bool onlyNotes_ = false;
    QIcon warning_;
};

} // namespace

PreviewDialog::PreviewDialog(RunPlan plan, int entryCount, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PreviewDialog"));
    setWindowTitle(QStringLiteral("Preview"));
    setSizeGripEnabled(true);

    // Where an I/O error would end the run, and the option that goes on past it.
    stop_ = new QLabel(this);
    stop_->setObjectName(QStringLiteral("PreviewStop"));
    stop_->setWordWrap(true);
    stop_->setTextFormat(Qt::PlainText);
    stop_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QString stopText = PlanStopText(plan, entryCount);
    if (stopText.isEmpty()) {
        stop_->hide();
    } else {
        stop_->setText(stopText + QStringLiteral(".\nTo go on past files that fail, turn on "
                                                 "\"Skip files that fail and go on\" in the "
                                                 "Options."));
        QPalette palette = stop_->palette();
        palette.setColor(QPalette::WindowText, QColor(160, 0, 0));
        stop_->setPalette(palette);
    }

    summary_ = new QLabel(PlanSummary(plan, entryCount), this);
    summary_->setObjectName(QStringLiteral("PreviewSummary"));
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);

    QStringList playlistLines;
    for (const PlaylistPlan& playlist : std::as_const(plan.playlists))
        playlistLines << NameForDisplay(PlaylistLine(playlist));
    playlists_ = new QLabel(playlistLines.join(u'\n'), this);
    playlists_->setObjectName(QStringLiteral("PreviewPlaylists"));
    playlists_->setAccessibleName(QStringLiteral("Playlists"));
    playlists_->setWordWrap(true);
    playlists_->setTextFormat(Qt::PlainText);
    playlists_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    playlists_->setVisible(!playlistLines.isEmpty());

    model_ = new PlanModel(std::move(plan), this);
    auto* rows = new PreviewRows(this);
    rows->setSourceModel(model_);
    rows_ = rows;

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("PreviewTable"));
    table_->setAccessibleName(QStringLiteral("Entries"));
    table_->setModel(rows_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->verticalHeader()->hide();
    // One line per row, of a height fixed in advance: no row is measured, however many.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSortIndicatorShown(true);
    const QFontMetrics metrics = table_->fontMetrics();
    const int numberWidth =
        std::max(metrics.horizontalAdvance(QString::number(std::max(entryCount, 100))),
                 metrics.horizontalAdvance(QStringLiteral("No."))) +
        16 + 24;
    header->resizeSection(PlanModel::NumberColumn, numberWidth);
    table_->viewport()->installEventFilter(this);
    table_->setSortingEnabled(true);
    table_->sortByColumn(PlanModel::NumberColumn, Qt::AscendingOrder);

    notesOnly_ = new QCheckBox(QStringLiteral("Show only rows with notes"), this);
    notesOnly_->setObjectName(QStringLiteral("PreviewNotesOnly"));
    connect(notesOnly_, &QCheckBox::toggled, this,
            [rows](bool only) { rows->ShowOnlyNotes(only); });

    execute_ = new QPushButton(QStringLiteral("Execute"), this);
    execute_->setObjectName(QStringLiteral("PreviewExecute"));
    execute_->setAutoDefault(false);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("PreviewClose"));
    close_->setDefault(true);
    connect(execute_, &QPushButton::clicked, this, &QDialog::accept);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(notesOnly_, 1);
    bottom->addWidget(execute_);
    bottom->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stop_);
    layout->addWidget(summary_);
    layout->addWidget(playlists_);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);

    resize(kInitialSize);
}

PreviewDialog::~PreviewDialog() = default;

bool PreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    // The columns share the table's width, so that every row's notes are in sight however
    // narrow the dialog; the user may still drag them until the dialog's size changes.
    if (watched == table_->viewport() && event->type() == QEvent::Resize) {
        QHeaderView* header = table_->horizontalHeader();
        const int rest = table_->viewport()->width() - header->sectionSize(PlanModel::NumberColumn);
        const int file = rest * 28 / 100;
        const int change = rest * 40 / 100;
        header->resizeSection(PlanModel::FileColumn, file);
        header->resizeSection(PlanModel::ChangeColumn, change);
        header->resizeSection(PlanModel::NotesColumn, rest - file - change);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vantuke
