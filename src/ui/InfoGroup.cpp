#include "ui/InfoGroup.h"

#include "tag/TagFields.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <initializer_list>
#include <vector>

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

namespace {

// "%1 - Song Name" for each field of a kind a template reads, in the order of their codes.
QStringList FieldLines(std::initializer_list<FieldKind> kinds) {
    std::vector<const TagFieldInfo*> fields;
    for (const TagFieldInfo& info : kTagFields) {
        if (std::find(kinds.begin(), kinds.end(), info.kind) != kinds.end())
            fields.push_back(&info);
    }
    std::sort(fields.begin(), fields.end(),
              [](const TagFieldInfo* a, const TagFieldInfo* b) { return a->code < b->code; });
    QStringList lines;
    for (const TagFieldInfo* info : fields)
        lines << u'%' + QChar(info->code) + QStringLiteral(" - ") + QLatin1String(info->name);
    return lines;
}

} // namespace

QStringList TemplateInfoLines() {
    return FieldLines({FieldKind::Text, FieldKind::Number, FieldKind::Genre}) +
           QStringList{
               QStringLiteral("%7 - Filename"),
               QStringLiteral("%8 - FilePath"),
               QStringLiteral("%9 - FileExt."),
               QStringLiteral("%N - Number of file"),
           };
}

QStringList NewStyleInfoLines() {
    return FieldLines({FieldKind::Text, FieldKind::Number})
           << QStringLiteral("%U - Useless (or any other letter)");
}

} // namespace vantuke
