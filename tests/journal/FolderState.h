#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QtGlobal>
#include <ostream>

namespace journaltest {

// One file as a test compares it before a run and after its undo.
struct FileState {
    QByteArray bytes;
    quint32 mode = 0;
    qint64 mtimeNsec = 0;
    qint64 atimeNsec = 0;
};

// The regular files of a folder by their names' bytes.
using FolderState = QMap<QByteArray, FileState>;

FolderState ReadFolder(const QString& dir);

// Expects after to hold exactly the files of before by name, bytes, mode and modification
// time, and the access time of every file whose name or bytes the run changed (changed:
// the folder as the run left it), which undo sets back; a file the run only read may have a
// later access time.
void ExpectSameFiles(const FolderState& before, const FolderState& after,
                     const FolderState& changed);

} // namespace journaltest
