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
        // The command line changes only what it names: every other field is left.
        options.tagFill.ask.fill(false);
        options.tagFill.leave.fill(true);
    }
    options.process = request.process;
    options.clearStatus = true;

    if (request.extensionFormat)
        options.program.extensionFormat = *request.extensionFormat;
    if (request.numberOfDigits)
        options.program.numberOfDigits = *request.numberOfDigits;
    if (request.keepReadOnly)
        options.program.eraseReadOnlyAttr = false;
    if (request.skipFailed)
        options.program.skipFailedFiles = true;
    if (request.noHistory)
        options.program.keepUndoHistory = false;
    if (request.codePage)
        options.program.codec.page = request.codePage;
    if (request.transliterate)
        options.program.codec.transliterate = true;
    if (request.updatePlaylists)
        options.program.updatePlaylists = true;

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

    // A field named on the command line is written (its value, or asked for with --ask);
    // --leave keeps it. The fields it does not name keep their states from the settings
    // file, or are left.
    if (request.process == Process::Id3v2ToTag) {
        for (int row = 0; row < kTagFillRows; ++row)
            options.id3v2ToTag.leave[row] = options.id3v2ToTag.leave[row] || request.leave[row];
        if (request.onlyEmpty)
            options.id3v2ToTag.onlyEmpty = true;
        if (request.noCreate)
            options.id3v2ToTag.createTag = false;
    }
    TagFillOptions& page = options.tagFill;
    // Whole: what a field cannot hold is cut as it is written, and noted.
    for (int row = 0; row < kTextFieldCount; ++row) {
        if (request.values[row])
            page.values[row] = *request.values[row];
    }
    if (request.track)
        page.track = *request.track;
    if (request.genre)
        page.genre = *request.genre;
    for (int row = 0; row < kTagFillRows; ++row) {
        if (request.leave[row]) {
            page.leave[row] = true;
        } else if (request.ask[row] || request.Names(row)) {
            page.ask[row] = request.ask[row];
            page.leave[row] = false;
        }
    }

    if (request.confirm)
        options.untagConfirmation = true;
    if (!request.replacements.isEmpty())
        options.substitutions = request.replacements;
    return options;
}

} // namespace vantuke::cli
