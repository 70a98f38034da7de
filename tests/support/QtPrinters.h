#pragma once

// Readable failure messages for Qt values: googletest finds these by argument-dependent
// look-up (Qt's types live in the global namespace) and prints them instead of raw bytes.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QStringList& list, std::ostream* out);
// The size and the first 160 bytes, percent-encoded where they are not printable.
void PrintTo(const QByteArray& bytes, std::ostream* out);
void PrintTo(const QSize& size, std::ostream* out);
