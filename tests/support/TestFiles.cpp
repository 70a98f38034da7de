#include "TestFiles.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir() {
    EXPECT_TRUE(dir_.isValid());
}

TempDir::~TempDir() {
    // QTemporaryDir would miss names its own conversion cannot give back; remove by bytes.
    const auto remove = [](const char* path, const struct stat*, int type, struct FTW*) {
        if (type == FTW_DP)
            ::chmod(path, 0700); // a folder a test made read-only
        ::remove(path);
        return 0; // go on with the rest whatever happens
    };
    ::nftw(QFile::encodeName(dir_.path()).constData(), remove, 16, FTW_DEPTH | FTW_PHYS);
}

QString TempDir::Path(const QString& name) const {
    return name.isEmpty() ? dir_.path() : dir_.path() + '/' + name;
}

QString TempDir::Dir() const {
    return dir_.path() + '/';
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void WriteExactFile(const QString& path, const QByteArray& bytes) {
    const QByteArray native = vantuke::NameToBytes(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << native.toStdString();
    const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
    ASSERT_EQ(written, bytes.size());
}

QString PathOfBytes(const QString& dir, const QByteArray& name) {
    return dir + vantuke::NameFromBytes(name);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
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

void MakeReadOnly(const QString& path) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(),
                      st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)),
              0);
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
