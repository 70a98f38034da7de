#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// Small helpers for tests that work on real files in a temporary folder.
namespace testsupport {

// A fresh temporary folder, removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    // Full path of a name inside the folder (no separator added when name is empty).
    QString Path(const QString& name = QString()) const;
    // The folder's path with a trailing "/".
    QString Dir() const;

private:
    QTemporaryDir dir_;
};

void WriteFile(const QString& path, const QByteArray& bytes);
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

// Removes the owner's write permission (the program's read-only attribute).
void MakeReadOnly(const QString& path);

// A folder in which nothing can be created, holding the files named at construction (empty
// files). For root, whom permissions do not stop, it is a read-only bind mount of a temporary
// folder; for other users a temporary folder without write permission. When neither can be
// set up, Ready() is false and Why() says why: the test skips.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QStringList& files = {});
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Ready() const { return why_.isEmpty(); }
    const QString& Why() const { return why_; }
    // The folder with a trailing "/".
    QString Dir() const;

private:
    TempDir source_;
    TempDir mountPoint_;
    bool mounted_ = false;
    QString why_;
};

} // namespace testsupport
