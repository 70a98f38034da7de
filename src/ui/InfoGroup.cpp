#include "ui/InfoGroup.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace vantuke {

QGroupBox* MakeInfoGroup(const QStringList& lines, QWidget* parent) {
    auto* group = new QGroupBox(QStringLiteral("Info:"), parent);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(0);
    const int perColumn = int((lines.size() + 1) / 2);
    for (int i = 0; i < lines.size(); ++i)
        grid->addWidget(new QLabel(lines.at(i), group), i % perColumn, i / perColumn);
    grid->setColumnStretch(2, 1);
    return group;
}

QStringList TemplateInfoLines() {
    return {
        QStringLiteral("%1 - Song Name"), QStringLiteral("%2 - Artist"),
        QStringLiteral("%3 - Album"),     QStringLiteral("%4 - Year"),
        QStringLiteral("%5 - Comment"),   QStringLiteral("%6 - Genre"),
        QStringLiteral("%7 - Filename"),  QStringLiteral("%8 - FilePath"),
        QStringLiteral("%9 - FileExt."),  QStringLiteral("%N - Number of file"),
    };
}

} // namespace vantuke
