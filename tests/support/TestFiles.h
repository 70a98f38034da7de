#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <thread>

// Small helpers for tests that work on real files in a temporary folder.
namespace testsupport {

// A fresh temporary folder, removed with everything in it when the object dies, names that
// are not UTF-8 included.
class TempDir {
public:
    TempDir();
    // Removes the folder by its bytes, so names that are not UTF-8 go too.
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

// Writes the file whose name is exactly the bytes NameToBytes gives for path, so a test can
// make names that are not UTF-8 ("Caf\xE9.mp3" is "Caf" + QChar(0xDCE9) + ".mp3").
void WriteFile(const QString& path, const QByteArray& bytes);
// The path of a name given as raw bytes inside a folder ending in "/".
QString PathOfBytes(const QString& dir, const QByteArray& name);
QByteArray ReadFile(const QString& path);
// The last 128 bytes of a file, where its tag is.
inline QByteArray TagOf(const QString& path) {
    return ReadFile(path).right(128);
}

// A 128-byte ID3v1 tag: "TAG", the five text fields NUL-padded to their widths, the genre.
QByteArray MakeTag(const QByteArray& songName, const QByteArray& artist,
                   const QByteArray& album = {}, const QByteArray& year = {},
                   const QByteArray& comment = {}, unsigned char genre = 0);

// An Enhanced TAG block (227 bytes, to stand right before a tag): "TAG+", the continuations
// of the song name, artist and album (60 bytes each, NUL-padded), speed 2, the genre text
// "Psybient", start time "001:30" and end time "005:12".
QByteArray MakeEnhancedTag(const QByteArray& songName, const QByteArray& artist,
                           const QByteArray& album);

// The tag made ID3v1.1 with this track: byte 125 a NUL, byte 126 the track (the comment's
// last two bytes).
QByteArray WithTrack(QByteArray tag, int track);

// Audio-like filler of the given size that never ends in a tag marker.
QByteArray AudioBytes(int size);

// Writes AudioBytes(audioSize) followed by the tag (if not empty) to path.
void WriteMp3(const QString& path, int audioSize, const QByteArray& tag = {});

// The number of file descriptors this process holds open (to catch leaked handles).
int OpenDescriptors();

// Waits until some open file description holds a lock on the file that a change would
// conflict with (looked at without taking one, which would keep a read-ahead from its own).
void WaitUntilLocked(const QString& path);

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

// A file as its folder holds it: its bytes, mode, and modification and access times to the
// nanosecond.
struct FileState {
    QByteArray bytes;
    quint32 mode = 0;
    qint64 mtime = 0;
    qint64 atime = 0;
    bool operator==(const FileState&) const = default;
};
// Every entry of a folder (given with a trailing "/"), by the bytes of its name.
using FolderState = std::map<QByteArray, FileState>;

// The folder's entries, read without touching their access times (O_NOATIME, which the
// owner and root may always ask for).
FolderState Snapshot(const QString& dir);
// Sets the access time of every entry two days back, before its modification time: a plain
// read then moves it to now (relatime), so a reader that should leave it shows.
void AgeAccessTimes(const QString& dir);

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

// Takes every permission away (an unreadable file, under AsUnprivilegedUser), and gives a
// folder to everyone to read and pass through.
void MakeUnreadable(const QString& path);
void OpenFolderToAll(const QString& path);

// True when another open file description holds a lock on any part of the file (as the
// program's OpenMode::Change does for the whole file while the file is open).
bool IsLocked(const QString& path);

// A small tmpfs of its own (a disk that fills up), mounted on a temporary folder while
// alive. Needs root; where it cannot be mounted, Dir() is empty and Why() says why.
class TmpfsMount {
public:
    explicit TmpfsMount(const char* size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // The mount point with a trailing "/", or empty.
    QString Dir() const;
    QString Why() const { return why_; }

private:
    TempDir dir_;
    bool mounted_ = false;
    QString why_;
};

// Writes a file at path until its disk has no room left.
void FillDisk(const QString& path);

// While alive, file access is checked as for an unprivileged user (root's file-system user
// and group become nobody's for this thread), so that permissions refuse what they say even
// in tests run as root. For anyone else it changes nothing.
class AsUnprivilegedUser {
public:
    AsUnprivilegedUser();
    ~AsUnprivilegedUser();
    AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
    AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

private:
    bool switched_ = false;
};

} // namespace testsupport
