#pragma once

#include <QStringList>

class QGroupBox;
class QWidget;

namespace vantuke {

// The group "Info:" that lists the codes of a template, in two columns.
QGroupBox* MakeInfoGroup(const QStringList& lines, QWidget* parent);

// The codes of a tag-to-text template, as the "Info:" groups show them: the tag's fields,
// then the file's.
QStringList TemplateInfoLines();
// The codes of a file-name-to-tag template: the fields a name can fill, then "%U".
QStringList NewStyleInfoLines();

} // namespace vantuke
