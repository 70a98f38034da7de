#include "TestFiles.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir() {
    EXPECT_TRUE(dir_.isValid());
}

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    ::chmod(path, 0700); // a folder must be writable for its entries to go
    return ::remove(path);
}

} // namespace

TempDir::~TempDir() {
    const QByteArray native = vantuke::NameToBytes(dir_.path());
    ::chmod(native.constData(), 0700);
    ::nftw(native.constData(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

QString TempDir::Path(const QString& name) const {
    return name.isEmpty() ? dir_.path() : dir_.path() + '/' + name;
}

QString TempDir::Dir() const {
    return dir_.path() + '/';
}

// By the path's bytes, so that names that are not UTF-8 are the files they say.
void WriteFile(const QString& path, const QByteArray& bytes) {
    FILE* file = std::fopen(vantuke::NameToBytes(path).constData(), "wb");
    ASSERT_NE(file, nullptr) << path.toStdString();
    const size_t put = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
    ASSERT_EQ(std::fclose(file), 0);
    ASSERT_EQ(put, size_t(bytes.size()));
}

QString PathOfBytes(const QString& dir, const QByteArray& name) {
    return dir + vantuke::NameFromBytes(name);
}

QByteArray ReadFile(const QString& path) {
    FILE* file = std::fopen(vantuke::NameToBytes(path).constData(), "rb");
    if (file == nullptr)
        return {};
    QByteArray bytes;
    char chunk[65536];
    while (const size_t got = std::fread(chunk, 1, sizeof chunk, file))
        bytes.append(chunk, qsizetype(got));
    std::fclose(file);
    return bytes;
}

static QByteArray Padded(const QByteArray& bytes, int width) {
    QByteArray out = bytes.left(width);
    out.append(QByteArray(width - out.size(), '\0'));
    return out;
}

QByteArray MakeTag(const QByteArray& songName, const QByteArray& artist, const QByteArray& album,
                   const QByteArray& year, const QByteArray& comment, unsigned char genre) {
    QByteArray tag("TAG");
    tag += Padded(songName, 30);
    tag += Padded(artist, 30);
    tag += Padded(album, 30);
    tag += Padded(year, 4);
    tag += Padded(comment, 30);
    tag += char(genre);
    return tag;
}

QByteArray MakeEnhancedTag(const QByteArray& songName, const QByteArray& artist,
                           const QByteArray& album) {
    return "TAG+" + Padded(songName, 60) + Padded(artist, 60) + Padded(album, 60) + '\x02' +
           Padded("Psybient", 30) + "001:30" + "005:12";
}

QByteArray WithTrack(QByteArray tag, int track) {
    tag[125] = '\0';
    tag[126] = char(track);
    return tag;
}

QByteArray AudioBytes(int size) {
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char(0x80 | (i * 37 % 101));
    return out;
}

void WriteMp3(const QString& path, int audioSize, const QByteArray& tag) {
    WriteFile(path, AudioBytes(audioSize) + tag);
}

PipeWriter::PipeWriter(const QString& path, QByteArray text) : path_(QFile::encodeName(path)) {
    EXPECT_EQ(::mkfifo(path_.constData(), 0644), 0) << path_.toStdString();
    writer_ = std::thread([path = path_, text = std::move(text)] {
        // A reader that looks and goes before the text is written must not kill the test.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        [[maybe_unused]] const ssize_t written = ::write(fd, text.constData(), size_t(text.size()));
        ::close(fd);
    });
}

PipeWriter::~PipeWriter() {
    Finish();
}

void PipeWriter::Finish() {
    if (!writer_.joinable())
        return;
    // A reader of our own lets the writer's open return when nobody else came.
    const int fd = ::open(path_.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer_.join();
    if (fd >= 0)
        ::close(fd);
}

FolderState Snapshot(const QString& dir) {
    FolderState state;
    const QByteArray folder = vantuke::NameToBytes(dir);
    DIR* listing = ::opendir(folder.constData());
    EXPECT_NE(listing, nullptr) << dir.toStdString();
    if (!listing)
        return state;
    const auto nanoseconds = [](const struct timespec& t) {
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + name;
        struct stat st {};
        EXPECT_EQ(::lstat(path.constData(), &st), 0);
        FileState& file = state[name];
        file.mode = st.st_mode;
        file.mtime = nanoseconds(st.st_mtim);
        file.atime = nanoseconds(st.st_atim);
        if (!S_ISREG(st.st_mode))
            continue;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOATIME);
        EXPECT_GE(fd, 0) << path.constData();
        char buffer[65536];
        for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;)
            file.bytes.append(buffer, got);
        if (fd >= 0)
            ::close(fd);
    }
    ::closedir(listing);
    return state;
}

void AgeAccessTimes(const QString& dir) {
    const struct timespec times[2] = {{::time(nullptr) - 2 * 86400, 0}, {0, UTIME_OMIT}};
    for (const auto& entry : Snapshot(dir)) {
        ASSERT_EQ(::utimensat(AT_FDCWD, (vantuke::NameToBytes(dir) + entry.first).constData(),
                              times, AT_SYMLINK_NOFOLLOW),
                  0);
    }
}

void MakeReadOnly(const QString& path) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(),
                      st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)),
              0);
}

ReadOnlyFolder::ReadOnlyFolder(const QStringList& files) {
    for (const QString& name : files)
        WriteFile(source_.Path(name), {});
    const QByteArray source = QFile::encodeName(source_.Path());
    if (::geteuid() != 0) {
        if (::chmod(source.constData(), 0555) != 0)
            why_ = QStringLiteral("cannot take the write permission off a folder");
        return;
    }
    const QByteArray target = QFile::encodeName(mountPoint_.Path());
    if (::mount(source.constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0) {
        why_ = QStringLiteral("no bind mount here: ") + QString::fromLocal8Bit(strerror(errno));
        return;
    }
    mounted_ = true;
    if (::mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0)
        why_ = QStringLiteral("cannot make a bind mount read-only: ") +
               QString::fromLocal8Bit(strerror(errno));
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (mounted_)
        ::umount2(QFile::encodeName(mountPoint_.Path()).constData(), MNT_DETACH);
    else
        ::chmod(QFile::encodeName(source_.Path()).constData(), 0755);
}

QString ReadOnlyFolder::Dir() const {
    return mounted_ ? mountPoint_.Dir() : source_.Dir();
}

TmpfsMount::TmpfsMount(const char* size) {
    const QByteArray options = QByteArray("size=") + size;
    if (::mount("tmpfs", QFile::encodeName(dir_.Path()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
        why_ = QStringLiteral("cannot mount a tmpfs here (needs root): ") +
               QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

TmpfsMount::~TmpfsMount() {
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.Path()).constData(), MNT_DETACH);
}

QString TmpfsMount::Dir() const {
    return mounted_ ? dir_.Dir() : QString();
}

void FillDisk(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    const int err = errno;
    ::close(fd);
    ASSERT_EQ(err, ENOSPC);
}

void MakeUnreadable(const QString& path) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
}

void OpenFolderToAll(const QString& path) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0755), 0);
}

bool IsLocked(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path.toStdString();
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    EXPECT_EQ(::fcntl(fd, F_OFD_GETLK, &lock), 0);
    ::close(fd);
    return lock.l_type != F_UNLCK;
}

namespace {

constexpr unsigned kNobody = 65534;

} // namespace

AsUnprivilegedUser::AsUnprivilegedUser() {
    if (::geteuid() != 0)
        return;
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    switched_ = true;
}

AsUnprivilegedUser::~AsUnprivilegedUser() {
    if (!switched_)
        return;
    ::setfsuid(0);
    ::setfsgid(0);
}

void WaitUntilLocked(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    for (;;) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ASSERT_EQ(::fcntl(fd, F_OFD_GETLK, &lock), 0);
        if (lock.l_type != F_UNLCK)
            break;
        std::this_thread::yield();
    }
    ::close(fd);
}

int OpenDescriptors() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

int ErrorCodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const vantuke::IoError& e) {
        return e.Code();
    }
    return -1;
}

} // namespace testsupport
