#include "ui/StatusFile.h"

#include <QFile>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

namespace vantuke {

void AppendStatusText(QPlainTextEdit& box, const QString& text) {
    box.appendPlainText(text);
    box.setTextCursor(QTextCursor(box.document()->lastBlock()));
    box.ensureCursorVisible();
    box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum());
    box.horizontalScrollBar()->setValue(box.horizontalScrollBar()->minimum());
}

void FollowLastLine(QPlainTextEdit& box) {
    QScrollBar* bar = box.verticalScrollBar();
    auto atEnd = std::make_shared<bool>(true);
    QObject::connect(bar, &QScrollBar::valueChanged, &box,
                     [bar, atEnd](int value) { *atEnd = value >= bar->maximum(); });
    QObject::connect(bar, &QScrollBar::rangeChanged, &box, [bar, atEnd](int, int maximum) {
        if (*atEnd)
            bar->setValue(maximum);
    });
}

QStringList StatusLines(const QPlainTextEdit& box) {
    const QTextDocument* document = box.document();
    QStringList lines;
    if (document->isEmpty())
        return lines;
    lines.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

bool WriteStatusFile(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void ConfigureStatusFileDialog(QFileDialog& dialog) {
    dialog.setWindowTitle(QStringLiteral("Save status box"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("All files (*.*)"), QStringLiteral("Text files (*.txt)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setSizeGripEnabled(true);
}

} // namespace vantuke
