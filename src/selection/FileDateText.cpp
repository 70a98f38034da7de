#include "selection/FileDateText.h"

#include <QTime>

namespace vantuke {

namespace {

// The locale's long time format without its time-zone field ("t") and the blanks that set
// it apart. Quoted literal text is kept as it is.
QString LongTimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace

QString FileDateText(const QDateTime& lastWrite, const QLocale& locale) {
    const QDateTime local = lastWrite.toLocalTime();
    const QTime exact = local.time();
    const QTime time(exact.hour(), exact.minute(), exact.second() - exact.second() % 2);
    const QString date = locale.toString(local.date(), QLocale::ShortFormat);
    if (time == QTime(0, 0))
        return date;
    return date + u' ' + locale.toString(time, LongTimeFormatWithoutZone(locale));
}

} // namespace vantuke
