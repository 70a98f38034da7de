#include "CliRun.h"
#include "settings/BuiltInPresets.h"
#include "settings/Settings.h"
#include "tag/TagRecord.h"

#include <QFileInfo>

namespace vantuke::cli {

namespace {

// A page value as the page's edit box would hold it: no longer than the field.
QString PageText(const QString& text, TagField field) {
    return FieldText(EncodeFieldText(text).left(FieldCapacity(field)));
}

BatchOptions FromSettings(const Settings& settings) {
    BatchOptions options;
    options.program = settings.program;
    options.tagToFilenameTemplate =
        settings.tagToFilenamePresets.ShownText(kTagToFilenameInitialText);
    options.filenameToTag.old = settings.oldStyle;
    options.filenameToTag.newStyleTemplate = settings.newStylePresets.ShownText(QString());
    options.writeTagOnlyWhenNotPresent = settings.writeTagOnlyWhenNotPresent;
    options.tagFill = settings.tagFill;
    options.untagConfirmation = settings.untagConfirmation;
    options.listTemplate = settings.listPresets.ShownText(kListInitialText);
    options.listShowProcessing = settings.listShowProcessing;
    options.substitutions = settings.substitutions;
    return options;
}

} // namespace

BatchOptions BuildOptions(const CliRequest& request) {
    BatchOptions options;
    if (!request.settingsFile.isEmpty()) {
        if (!QFileInfo(request.settingsFile).isFile())
            throw UsageError(
                QStringLiteral("settings file \"%1\" not found").arg(request.settingsFile));
        options = FromSettings(LoadSettings(request.settingsFile));
    } else {
        options.tagFill.ask.fill(false);
    }
    options.process = request.process;
    options.clearStatus = true;

    if (request.extensionFormat)
        options.program.extensionFormat = *request.extensionFormat;
    if (request.numberOfDigits)
        options.program.numberOfDigits = *request.numberOfDigits;
    if (request.keepReadOnly)
        options.program.eraseReadOnlyAttr = false;

    if (request.tmpl) {
        if (request.process == Process::TagToFilename)
            options.tagToFilenameTemplate = *request.tmpl;
        else if (request.process == Process::ListFiles)
            options.listTemplate = *request.tmpl;
        else
            options.filenameToTag.newStyleTemplate = *request.tmpl;
    }
    if (request.showProcessing)
        options.listShowProcessing = true;

    options.filenameToTag.oldStyle = request.oldStyle;
    if (request.separator)
        options.filenameToTag.old.separator = *request.separator;
    if (request.format)
        options.filenameToTag.old.format = *request.format;
    if (request.keepSpaces)
        options.filenameToTag.old.clearSpaces = false;
    if (request.overwrite)
        options.writeTagOnlyWhenNotPresent = false;

    TagFillOptions& page = options.tagFill;
    for (TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        if (request.values[row])
            page.values[row] = *request.values[row];
        page.values[row] = PageText(page.values[row], field);
    }
    if (request.genre)
        page.genre = *request.genre;
    for (int row = 0; row < kTagFillRows; ++row) {
        page.ask[row] = page.ask[row] || request.ask[row];
        page.leave[row] = page.leave[row] || request.leave[row];
    }

    if (request.confirm)
        options.untagConfirmation = true;
    if (!request.replacements.isEmpty())
        options.substitutions = request.replacements;
    return options;
}

} // namespace vantuke::cli
