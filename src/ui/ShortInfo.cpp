#include "ui/ShortInfo.h"

namespace vantuke {

namespace {

// The template codes, shared by the two processes that expand templates.
QStringList TemplateCodeLines() {
    return {
        QStringLiteral("%1 - SongName"),      QStringLiteral("%2 - Artist"),
        QStringLiteral("%3 - Album"),         QStringLiteral("%4 - Year"),
        QStringLiteral("%5 - Comment"),       QStringLiteral("%6 - Genre"),
        QStringLiteral("%7 - FileName"),      QStringLiteral("%8 - FilePath"),
        QStringLiteral("%9 - FileExtension"), QStringLiteral("%N - FileNumber"),
        QStringLiteral("%T - Track"),
    };
}

} // namespace

QStringList ShortInfoLines(Process process) {
    switch (process) {
    case Process::TagToFilename:
        return QStringList{
                   QString(),
                   QStringLiteral("This function will convert information from id3 tag to "
                                  "filename according to format, which you specify. You can use "
                                  "these symbols to represents different id3 tag infos:"),
                   QString(),
               } +
               TemplateCodeLines();
    case Process::FilenameToTag:
        return {
            QString(),
            QStringLiteral("This function will convert information from filename into id3 tag. "
                           "You can use Old-Style or New-Style convert:"),
            QString(),
            QStringLiteral("OldStyle:"),
            QStringLiteral("You can specify separator, which divides filename into two parts: "
                           "SongName and Artist. Also there is a lot of options, which affect how "
                           "is filename converted into id3 tag."),
            QString(),
            QStringLiteral("Example:"),
            QStringLiteral("If filename would be:\"DJ Zarnik - Groovy Zone.Mp3\" and separator "
                           "will be specified as \"-\" and first option will be selected "
                           "(Artist,Separator,SongName), then Vantuke will convert filename into "
                           "id3tag according to order..."),
            QString(),
            QStringLiteral("NewStyle:"),
            QStringLiteral("NewStyle convert offers much better flexibility, while converting "
                           "filenames into id3tags. Its function is very similar to Tag>Filename, "
                           "but in reverse. Check it on example."),
            QStringLiteral("%1 - SongName"),
            QStringLiteral("%2 - Artist"),
            QStringLiteral("%3 - Album"),
            QStringLiteral("%4 - Year"),
            QStringLiteral("%5 - Comment"),
            QStringLiteral("%T - Track"),
            QStringLiteral("%U - Useless (or any other letter)"),
            QString(),
            QStringLiteral("Example:"),
            QStringLiteral("If filename would be:\"(DJ Zarnik) - Groovy Zone (1994).Mp3\", then "
                           "filename to tag convert string would be \"(%2) - %1 (%4)\""),
        };
    case Process::Tag:
        return {
            QString(),
            QStringLiteral("This function will fill in id3 tag informations as you want. You can "
                           "set if you want to leave that info or if you want Vantuke to ask you "
                           "for it."),
        };
    case Process::UnTag:
        return {
            QString(),
            QStringLiteral("This function will remove id3 tag from mp3 file. You can specify if "
                           "you want Vantuke to confirm every file."),
        };
    case Process::ListFiles:
        return QStringList{
                   QString(),
                   QStringLiteral("This function will simply list informations from id3 tag "
                                  "according to format you specify:"),
                   QString(),
               } +
               TemplateCodeLines();
    case Process::AdjustFileName:
        return {
            QString(),
            QStringLiteral("This function modifies filename according to the list of "
                           "substitutes."),
            QString(),
            QStringLiteral("Example:"),
            QStringLiteral("If you will specify only one substition, where ReplaceWhat will be "
                           "\"a\" and ReplaceWith \"b\" then all \"a\"s in filename will be "
                           "\"b\"s. Offcourse you can also specify empty strings, which will "
                           "result in clearing ReplaceWhat string..."),
        };
    case Process::Id3v2ToTag:
        return {
            QString(),
            QStringLiteral("This function fills the id3 tag (ID3v1) from the ID3v2 tag at the "
                           "start of the mp3 file, for players that read only ID3v1. For each "
                           "field you can set if it is copied or left as it is."),
            QString(),
            QStringLiteral("Song Name from TIT2, Artist from TPE1 (several joined with \" / \"), "
                           "Album from TALB, Year from TDRC, TYER or TDAT (the first four "
                           "digits), Comment from the first COMM without a description (else "
                           "the first COMM), Genre from TCON (a number or a name)."),
            QString(),
            QStringLiteral("A value the ID3v2 tag does not have leaves the field as it is. A "
                           "file without an ID3v2 tag is left as it is."),
        };
    }
    return {};
}

} // namespace vantuke
