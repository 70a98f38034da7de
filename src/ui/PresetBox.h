#pragma once

#include "settings/PresetList.h"

#include <QWidget>

class QComboBox;

namespace vantuke {

// An editable template box under its label, with its drop-down list of presets and the two
// glyph buttons beside it. The box's text is what a process uses; the list only offers texts to
// pick. Picking an entry selects it and copies it into the text; typing leaves no entry selected.
// "Add" appends the current text; "Remove" deletes the selected entry.
class PresetBox : public QWidget {
    Q_OBJECT
public:
    // The label's text, the object names of the box and of its add and remove buttons, and
    // the box's first text.
    PresetBox(const QString& label, const QString& boxName, const QString& addName,
              const QString& removeName, const QString& initialText, QWidget* parent = nullptr);

    QComboBox* Box() const { return box_; }

    QString Text() const;
    PresetList Presets() const;
    // Replaces the list. A valid active index selects that entry and shows it; otherwise
    // nothing is selected and the text stays as it is.
    void SetPresets(const PresetList& presets);

    void Add();
    void Remove();

signals:
    // After every press of add or remove, also when remove found nothing to delete.
    void ListChanged();

private:
    void Choose(int index);
    // Makes the combo box show the selected entry (or none) with the given text.
    void ShowSelection(const QString& text);

    QComboBox* box_;
    int selected_ = -1;
};

} // namespace vantuke
