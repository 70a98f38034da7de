#include "CliRun.h"
#include "platform/Directory.h"
#include "settings/Settings.h"

namespace vantuke::cli {

BatchOptions BuildOptions(const CliRequest& request) {
    BatchOptions options;
    if (!request.settingsFile.isEmpty()) {
        // The file of exactly the argument's bytes.
        if (StatusOf(request.settingsFile).kind != FileKind::Regular)
            throw UsageError(
                QStringLiteral("settings file \"%1\" not found").arg(request.settingsFile));
        options = BatchOptionsFromSettings(LoadSettings(request.settingsFile));
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
    if (request.noHistory)
        options.program.keepUndoHistory = false;

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
    for (int row = 0; row < kTextFieldCount; ++row) {
        if (request.values[row])
            page.values[row] = TagRowText(*request.values[row], row);
    }
    if (request.track)
        page.track = *request.track;
    if (request.genre)
        page.genre = *request.genre;
    // A field the command line gives a value or asks for is written, unless it is also left.
    const auto named = [&request](int row) {
        switch (RowField(row).kind) {
        case FieldKind::Text:
            return request.values[row].has_value() || request.ask[row];
        case FieldKind::Number:
            return request.track.has_value() || request.ask[row];
        case FieldKind::Genre:
            return request.genre.has_value() || request.ask[row];
        }
        return false;
    };
    for (int row = 0; row < kTagFillRows; ++row) {
        page.ask[row] = page.ask[row] || request.ask[row];
        page.leave[row] = request.leave[row] || (page.leave[row] && !named(row));
    }

    if (request.confirm)
        options.untagConfirmation = true;
    if (!request.replacements.isEmpty())
        options.substitutions = request.replacements;
    return options;
}

} // namespace vantuke::cli
