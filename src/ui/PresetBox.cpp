#include "ui/PresetBox.h"

#include "ui/Glyphs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantuke {

PresetBox::PresetBox(const QString& label, const QString& boxName, const QString& addName,
                     const QString& removeName, const QString& initialText, QWidget* parent)
    : QWidget(parent), box_(new QComboBox(this)) {
    box_->setObjectName(boxName);
    // The box's edit joins the focus chain here; the buttons made after it follow it there,
    // so Shift+Tab visits them too.
    box_->setEditable(true);
    auto* add = MakeGlyphButton(Glyph::Add, tr("Add preset"), addName, this);
    auto* remove = MakeGlyphButton(Glyph::Remove, tr("Remove preset"), removeName, this);
    box_->setInsertPolicy(QComboBox::NoInsert);
    // Templates are typed exactly; inline completion would change what the user typed.
    box_->setCompleter(nullptr);
    box_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box_->setMinimumContentsLength(8);
    box_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box_->setEditText(initialText);
    // The combo box selects an entry by itself when the typed text happens to equal one as
    // the edit loses focus. A typed text selects nothing here, so that path is cut.
    QObject::disconnect(box_->lineEdit(), SIGNAL(editingFinished()), box_, nullptr);

    // The label is the box's sibling, so screen readers find it as the box's label.
    auto* caption = new QLabel(label, this);
    caption->setBuddy(box_);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(box_, 1);
    row->addWidget(add);
    row->addWidget(remove);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(caption);
    layout->addLayout(row);

    connect(box_, &QComboBox::activated, this, &PresetBox::Choose);
    connect(box_->lineEdit(), &QLineEdit::textEdited, this, [this] { selected_ = -1; });
    connect(add, &QToolButton::clicked, this, &PresetBox::Add);
    connect(remove, &QToolButton::clicked, this, &PresetBox::Remove);
}

QString PresetBox::Text() const {
    return box_->currentText();
}

PresetList PresetBox::Presets() const {
    PresetList presets;
    presets.entries.reserve(box_->count());
    for (int i = 0; i < box_->count(); ++i)
        presets.entries.append(box_->itemText(i));
    presets.active = selected_;
    return presets;
}

void PresetBox::SetPresets(const PresetList& presets) {
    const QString text = Text();
    box_->clear();
    box_->addItems(presets.entries);
    selected_ = presets.ActiveIndex();
    ShowSelection(presets.ShownText(text));
}

void PresetBox::Add() {
    const QString text = Text();
    box_->addItem(text);
    ShowSelection(text);
    emit ListChanged();
}

void PresetBox::Remove() {
    const QString text = Text();
    if (selected_ >= 0 && selected_ < box_->count()) {
        box_->removeItem(selected_);
        selected_ = -1;
    }
    ShowSelection(text);
    emit ListChanged();
}

void PresetBox::Choose(int index) {
    selected_ = index;
    box_->setEditText(box_->itemText(index));
}

void PresetBox::ShowSelection(const QString& text) {
    // Adding the first entry or removing the current one moves the combo box's own current
    // entry, and with it the text; put both back.
    box_->setCurrentIndex(selected_);
    box_->setEditText(text);
}

} // namespace vantuke
