#include "ui/FilenameTagPage.h"

#include "ui/InfoGroup.h"
#include "ui/PresetBox.h"
#include "ui/WrapTabs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantuke {

FilenameTagPage::FilenameTagPage(QWidget* parent)
    : QWidget(parent), subMethods_(new WrapTabs(this)) {
    subMethods_->setObjectName(QStringLiteral("PageControl2"));
    subMethods_->AddPage(MakeOldStylePage(), QStringLiteral("Old Style"));
    subMethods_->AddPage(MakeNewStylePage(), QStringLiteral("New Style"));
    subMethods_->SetCurrentIndex(kNewStyle);

    writeOnlyWhenNotPresent_ =
        new QCheckBox(QStringLiteral("Write TAG only when is not present in file"), this);
    writeOnlyWhenNotPresent_->setObjectName(QStringLiteral("CheckBox14"));
    writeOnlyWhenNotPresent_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(subMethods_, 1);
    layout->addWidget(writeOnlyWhenNotPresent_);
}

QWidget* FilenameTagPage::MakeOldStylePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet7"));

    auto* separatorLabel = new QLabel(QStringLiteral("Separator:"), page);
    separator_ = new QLineEdit(QStringLiteral("-"), page);
    separator_->setObjectName(QStringLiteral("Edit8"));
    separator_->setMaxLength(kSeparatorMaxLength);
    separator_->setMaximumWidth(separator_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 5);
    separatorLabel->setBuddy(separator_);
    clearSpaces_ = new QCheckBox(QStringLiteral("Erase all spaces"), page);
    clearSpaces_->setObjectName(QStringLiteral("CheckBox17"));
    clearSpaces_->setChecked(true);
    auto* amongLabel = new QLabel(QStringLiteral("among separator"), page);
    clearSpaces_->setAccessibleName(QStringLiteral("Erase all spaces among separator"));

    auto* separatorRow = new QHBoxLayout;
    separatorRow->setSpacing(4);
    separatorRow->addWidget(separatorLabel);
    separatorRow->addWidget(separator_);
    separatorRow->addSpacing(8);
    separatorRow->addWidget(clearSpaces_);
    separatorRow->addWidget(amongLabel);
    separatorRow->addStretch(1);

    auto* group = new QGroupBox(QStringLiteral("Format of filename:"), page);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    format_ = new QButtonGroup(group);
    auto* lines = new QVBoxLayout(group);
    lines->setContentsMargins(6, 2, 6, 4);
    lines->setSpacing(0);
    for (int i = 0; i <= kLastOldStyleFormat; ++i) {
        auto* line = new QRadioButton(QLatin1String(kOldStyleFormats[i].line), group);
        format_->addButton(line, i);
        lines->addWidget(line);
    }
    format_->button(0)->setChecked(true);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);
    layout->addLayout(separatorRow);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* FilenameTagPage::MakeNewStylePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet8"));
    newStyle_ = new PresetBox(QStringLiteral("Filename to Tag convert string:"),
                              QStringLiteral("ComboBox5"), QStringLiteral("SpeedButton10"),
                              QStringLiteral("SpeedButton11"), QString(), page);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);
    layout->addWidget(newStyle_);
    layout->addWidget(MakeInfoGroup(NewStyleInfoLines(), page));
    layout->addStretch(1);
    return page;
}

bool FilenameTagPage::OldStyleChosen() const {
    return subMethods_->CurrentIndex() == kOldStyle;
}

OldStyleOptions FilenameTagPage::OldStyle() const {
    return OldStyleOptions{separator_->text(), clearSpaces_->isChecked(), format_->checkedId()};
}

void FilenameTagPage::SetOldStyle(const OldStyleOptions& options) {
    separator_->setText(options.separator);
    clearSpaces_->setChecked(options.clearSpaces);
    if (QAbstractButton* line = format_->button(options.format)) {
        line->setChecked(true);
    } else {
        // No line chosen: an exclusive group cannot uncheck its last line by itself.
        format_->setExclusive(false);
        for (QAbstractButton* each : format_->buttons())
            each->setChecked(false);
        format_->setExclusive(true);
    }
}

bool FilenameTagPage::WriteOnlyWhenNotPresent() const {
    return writeOnlyWhenNotPresent_->isChecked();
}

void FilenameTagPage::SetWriteOnlyWhenNotPresent(bool on) {
    writeOnlyWhenNotPresent_->setChecked(on);
}

} // namespace vantuke
