#pragma once

#include "batch/BatchHost.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <ostream>

// A batch host for tests: records every line, progress call and question, and answers the
// questions from a script.
class ScriptedHost : public vantuke::BatchHost {
public:
    QStringList lines;
    int clears = 0;
    int progressMaximum = -1;
    QList<int> positions; // every position set, in order

    QList<vantuke::ConfirmAnswer> confirmAnswers; // taken from the front; none left: Cancel
    QStringList confirmedPaths;
    // Called for each confirmation before it is answered (what happens while it waits).
    std::function<void(const QString&)> onConfirm;

    // Called for each query; the default answers OK without changing anything.
    std::function<vantuke::QueryResult(vantuke::TagQuery&)> onAsk;
    QList<vantuke::TagQuery> queries; // each query as the host received it

    void LogLine(const QString& line) override { lines.append(line); }
    void ClearLog() override {
        lines.clear();
        ++clears;
    }
    void SetProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void SetProgressPosition(int position) override { positions.append(position); }
    vantuke::ConfirmAnswer ConfirmTagRemoval(const QString& path) override {
        confirmedPaths.append(path);
        if (onConfirm)
            onConfirm(path);
        return confirmAnswers.isEmpty() ? vantuke::ConfirmAnswer::Cancel
                                        : confirmAnswers.takeFirst();
    }
    vantuke::QueryResult AskTag(vantuke::TagQuery& query) override {
        queries.append(query);
        return onAsk ? onAsk(query) : vantuke::QueryResult::Ok;
    }
};
