#pragma once

#include "batch/TagRows.h"

#include <QString>
#include <array>

namespace vantuke {

enum class ConfirmAnswer { Yes, No, Cancel };
enum class QueryResult { Ok, Ignore, Abort };

// What the "ID3 Tag Query" dialog shows for one file: the path, a value per field and which
// of them the user may edit (the asked fields), and which entry of the run the file is.
struct TagQuery {
    QString path;
    FieldTexts texts;
    int track = 0;  // 0 none
    int genre = -1; // list position; -1 no selection
    std::array<bool, kTagFillRows> enabled{};
    int entryNumber = 0; // counted from 1; 0 when not known
    int entryCount = 0;  // the run's entries
};

// How the engine talks to whoever runs it: the window with its controls and dialogs, the
// command line, or a test with scripted answers.
class BatchHost {
public:
    virtual ~BatchHost() = default;

    virtual void LogLine(const QString& line) = 0;
    // A status line that is more than a step of the run: a counted error line or the run's
    // last line. Hosts that show only these (a quiet command line) tell them apart here;
    // every other host shows them as any line.
    enum class LineKind { Error, Finish };
    virtual void LogLineOf(LineKind, const QString& line) { LogLine(line); }
    virtual void ClearLog() = 0;
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // "Remove TAG from file: <path> ?" with Yes / No / Cancel.
    virtual ConfirmAnswer ConfirmTagRemoval(const QString& path) = 0;
    // Shows the query; on Ok the host has put the user's values into query.texts/genre.
    // Only called when at least one field is asked.
    virtual QueryResult AskTag(TagQuery& query) = 0;
};

} // namespace vantuke
