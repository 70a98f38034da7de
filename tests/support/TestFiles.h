#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <thread>

// Small helpers for tests that work on real files in a temporary folder.
namespace testsupport {

// A fresh temporary folder, removed with everything in it when the object dies, names that
// are not UTF-8 included.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Full path of a name inside the folder (no separator added when name is empty).
    QString Path(const QString& name = QString()) const;
    // The folder's path with a trailing "/".
    QString Dir() const;

private:
    QTemporaryDir dir_;
};

void WriteFile(const QString& path, const QByteArray& bytes);
// Writes the file whose name is exactly the bytes NameToBytes gives for path, so a test can
// make names that are not UTF-8 ("Caf\xE9.mp3" is "Caf" + QChar(0xDCE9) + ".mp3").
void WriteExactFile(const QString& path, const QByteArray& bytes);
// The path of a name given as raw bytes inside a folder ending in "/".
QString PathOfBytes(const QString& dir, const QByteArray& name);
QByteArray ReadFile(const QString& path);

// A 128-byte ID3v1 tag: "TAG", the five text fields NUL-padded to their widths, the genre.
QByteArray MakeTag(const QByteArray& songName, const QByteArray& artist,
                   const QByteArray& album = {}, const QByteArray& year = {},
                   const QByteArray& comment = {}, unsigned char genre = 0);

// Audio-like filler of the given size that never ends in a tag marker.
QByteArray AudioBytes(int size);

// Writes AudioBytes(audioSize) followed by the tag (if not empty) to path.
void WriteMp3(const QString& path, int audioSize, const QByteArray& tag = {});

// The number of file descriptors this process holds open (to catch leaked handles).
int OpenDescriptors();

// The code of the IoError the action throws; -1 when it throws none.
int ErrorCodeOf(const std::function<void()>& action);

// A named pipe (made at path) with a writer standing by: whoever opens it for reading gets
// text, and a reader that would wait for a writer does not hang the test. Finish (or the
// destructor) lets a writer nobody met go, and waits for it.
class PipeWriter {
public:
    PipeWriter(const QString& path, QByteArray text);
    ~PipeWriter();
    PipeWriter(const PipeWriter&) = delete;
    PipeWriter& operator=(const PipeWriter&) = delete;
    void Finish();

private:
    QByteArray path_;
    std::thread writer_;
};

// Removes the owner's write permission (the program's read-only attribute).
void MakeReadOnly(const QString& path);

} // namespace testsupport
