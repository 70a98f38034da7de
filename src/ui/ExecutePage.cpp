#include "ui/ExecutePage.h"

#include "ui/FlowLayout.h"
#include "ui/Glyphs.h"
#include "ui/StatusFile.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantuke {

namespace {
constexpr int kStatusFontPixels = 8;
constexpr int kStatusMinimumHeight = 80;
constexpr int kProgressHeight = 8;

// A button with its glyph and caption; its name for a screen reader and its hint are the
// command's name, the hint with its key.
QPushButton* MakeCommandButton(Glyph glyph, const QString& caption, const QString& name,
                               const QString& key, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(GlyphIcon(glyph), caption, parent);
    button->setObjectName(objectName);
    button->setAccessibleName(name);
    button->setToolTip(name + QStringLiteral(" (") + key + u')');
    button->setAutoDefault(false);
    return button;
}
} // namespace

ExecutePage::ExecutePage(QWidget* parent) : QWidget(parent) {
    auto* statusGroup = new QGroupBox(QStringLiteral("Status:"), this);
    statusGroup->setObjectName(QStringLiteral("GroupBox4"));
    statusGroup->setMinimumHeight(kStatusMinimumHeight);
    status_ = new QPlainTextEdit(statusGroup);
    status_->setObjectName(QStringLiteral("Memo1"));
    status_->setAccessibleName(QStringLiteral("Status"));
    status_->setReadOnly(true);
    status_->setLineWrapMode(QPlainTextEdit::NoWrap);
    status_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    status_->setUndoRedoEnabled(false);
    status_->setAcceptDrops(false); // a drop goes to the window
    FollowLastLine(*status_);
    QFont small = status_->font();
    small.setPixelSize(kStatusFontPixels);
    status_->setFont(small);

    auto* optionsGroup = new QGroupBox(QStringLiteral("Options:"), statusGroup);
    optionsGroup->setObjectName(QStringLiteral("GroupBox5"));
    clearStatus_ =
        new QCheckBox(QStringLiteral("Every change/start clear status box"), optionsGroup);
    clearStatus_->setObjectName(QStringLiteral("CheckBox19"));
    // The glyph buttons stand at the right of the check box's row, or of a row under it
    // where the window is too narrow for one.
    auto* buttons = new QWidget(optionsGroup);
    options_ = MakeGlyphButton(Glyph::Options, QStringLiteral("Options"),
                               QStringLiteral("SpeedButton20"), buttons);
    saveStatus_ = MakeGlyphButton(Glyph::SaveText, QStringLiteral("Save status to txt"),
                                  QStringLiteral("SpeedButton22"), buttons);
    about_ = MakeGlyphButton(Glyph::About, QStringLiteral("About"), QStringLiteral("SpeedButton21"),
                             buttons);
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(2);
    buttonRow->addStretch(1);
    for (QToolButton* button : {options_, saveStatus_, about_})
        buttonRow->addWidget(button);
    auto* optionsRow = new FlowLayout(optionsGroup);
    optionsRow->SetJustifyOneRow(true);
    optionsRow->setContentsMargins(6, 0, 6, 2);
    optionsRow->setSpacing(2);
    optionsRow->addWidget(clearStatus_);
    optionsRow->addWidget(buttons);

    auto* statusLayout = new QVBoxLayout(statusGroup);
    statusLayout->setContentsMargins(6, 2, 6, 6);
    statusLayout->setSpacing(4);
    statusLayout->addWidget(status_, 1);
    statusLayout->addWidget(optionsGroup);

    auto* startGroup = new QGroupBox(QStringLiteral("Start process:"), this);
    startGroup->setObjectName(QStringLiteral("GroupBox6"));
    execute_ = new QPushButton(QStringLiteral("EXECUTE!"), startGroup);
    execute_->setObjectName(QStringLiteral("SpeedButton19"));
    execute_->setAutoDefault(true);
    QFont bold = execute_->font();
    bold.setBold(true);
    execute_->setFont(bold);
    execute_->setMinimumHeight(execute_->sizeHint().height() + 6);
    // Beside it, what to do before and after a run; their keys work from every step.
    preview_ = MakeCommandButton(Glyph::Preview, QStringLiteral("Preview\u2026"),
                                 QStringLiteral("Preview"), QStringLiteral("Ctrl+P"),
                                 QStringLiteral("PreviewButton"), startGroup);
    undo_ = MakeCommandButton(Glyph::Undo, QStringLiteral("Undo last run"),
                              QStringLiteral("Undo last run"), QStringLiteral("Ctrl+Z"),
                              QStringLiteral("UndoLastRunButton"), startGroup);
    for (QPushButton* button : {preview_, undo_})
        button->setMinimumHeight(execute_->minimumHeight());
    progress_ = new QProgressBar(startGroup);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setAccessibleName(QStringLiteral("Progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setFixedHeight(kProgressHeight);

    auto* startLayout = new QVBoxLayout(startGroup);
    startLayout->setContentsMargins(6, 2, 6, 6);
    startLayout->setSpacing(3);
    auto* commands = new QHBoxLayout;
    commands->setSpacing(4);
    commands->addWidget(execute_, 1);
    commands->addWidget(preview_);
    commands->addWidget(undo_);
    startLayout->addLayout(commands);
    startLayout->addWidget(progress_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(statusGroup, 1);
    layout->addWidget(startGroup);
}

} // namespace vantuke
