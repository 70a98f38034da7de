#include "support/QtPrinters.h"

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{';
    for (const QString& text : list) {
        *out << "\n  ";
        PrintTo(text, out);
    }
    *out << " }";
}

void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << bytes.size() << " bytes: " << bytes.left(160).toPercentEncoding(" -_.").toStdString();
}

void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << 'x' << size.height();
}
