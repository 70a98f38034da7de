#pragma once

#include <QString>
#include <algorithm>

namespace testsupport {

// The substitution scan written out position by position on the 1-based text: after a
// replacement the scan resumes at k + len(with) - len(what) + 1, a position before the start
// being the start. Quadratic, so only for short texts; ReplaceAll must agree with it.
inline QString ReplaceByRule(QString text, const QString& what, const QString& with) {
    const qsizetype l = what.size();
    const qsizetype m = with.size();
    if (l == 0 && m == 0)
        return text;
    qsizetype k = 1;
    while (k <= text.size() - l + 1) {
        if (text.mid(k - 1, l) == what) {
            text.replace(k - 1, l, with);
            k = std::max<qsizetype>(1, k + m - l + 1);
        } else {
            ++k;
        }
    }
    return text;
}

} // namespace testsupport
