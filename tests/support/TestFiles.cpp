#include "TestFiles.h"

#include "platform/IoError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir() {
    EXPECT_TRUE(dir_.isValid());
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
