#pragma once

#include <QStringList>

class QGroupBox;
class QWidget;

namespace vantuke {

// The group "Info:" that lists the codes of a template, in two columns.
QGroupBox* MakeInfoGroup(const QStringList& lines, QWidget* parent);

// The ten codes of a tag-to-text template, as the "Info:" groups show them.
QStringList TemplateInfoLines();

} // namespace vantuke
