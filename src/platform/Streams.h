#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace vantuke {

// Reads a list of records, each ended by separator (the last one may lack it), and calls
// visit for each in order without its separator; empty records are skipped. The records are
// read as a stream, so a list longer than memory would hold as one piece still works. Throws
// IoError naming the file.
void ReadRecords(const QString& path, char separator,
                 const std::function<void(QByteArrayView)>& visit);
// The same for the program's standard input.
void ReadStandardInputRecords(char separator, const std::function<void(QByteArrayView)>& visit);

// Whether the program's standard output or standard error is a terminal (a person watches).
bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();

} // namespace vantuke
