#include "ui/Id3v2Page.h"

#include "batch/TagRows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantuke {

Id3v2Page::Id3v2Page(QWidget* parent) : QWidget(parent) {
    auto* group = new QGroupBox(QStringLiteral("From the ID3v2 tag:"), this);
    group->setObjectName(QStringLiteral("GroupBox7"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(3, 1);
    for (int row = 0; row < kTagFillRows; ++row) {
        const QString field = TagRowName(row);
        auto* label = new QLabel(TagRowLabel(row), group);
        copy_[row] = new QRadioButton(QStringLiteral("Copy"), group);
        copy_[row]->setObjectName(QStringLiteral("RadioButton%1").arg(2 * row + 1));
        copy_[row]->setAccessibleName(tr("Copy %1").arg(field));
        copy_[row]->setChecked(true);
        leave_[row] = new QRadioButton(QStringLiteral("Leave"), group);
        leave_[row]->setObjectName(QStringLiteral("RadioButton%1").arg(2 * row + 2));
        leave_[row]->setAccessibleName(tr("Leave %1").arg(field));
        leave_[row]->setToolTip(tr("Keep the %1 each file's ID3v1 tag has").arg(field));
        label->setBuddy(copy_[row]);
        // Each row's two buttons exclude each other, and only each other.
        auto* buttons = new QButtonGroup(group);
        buttons->addButton(copy_[row]);
        buttons->addButton(leave_[row]);
        grid->addWidget(label, row, 0);
        grid->addWidget(copy_[row], row, 1);
        grid->addWidget(leave_[row], row, 2);
    }

    onlyEmpty_ =
        new QCheckBox(QStringLiteral("Only fill fields that are empty in the ID3v1 tag"), this);
    onlyEmpty_->setObjectName(QStringLiteral("CheckBox22"));
    createTag_ = new QCheckBox(QStringLiteral("Create an ID3v1 tag where there is none"), this);
    createTag_->setObjectName(QStringLiteral("CheckBox23"));
    createTag_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(group);
    layout->addWidget(onlyEmpty_);
    layout->addWidget(createTag_);
    layout->addStretch(1);
}

Id3v2ToTagOptions Id3v2Page::Options() const {
    Id3v2ToTagOptions options;
    for (int row = 0; row < kTagFillRows; ++row)
        options.leave[row] = leave_[row]->isChecked();
    options.onlyEmpty = onlyEmpty_->isChecked();
    options.createTag = createTag_->isChecked();
    return options;
}

void Id3v2Page::SetOptions(const Id3v2ToTagOptions& options) {
    for (int row = 0; row < kTagFillRows; ++row)
        (options.leave[row] ? leave_[row] : copy_[row])->setChecked(true);
    onlyEmpty_->setChecked(options.onlyEmpty);
    createTag_->setChecked(options.createTag);
}

} // namespace vantuke
