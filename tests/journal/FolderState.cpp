#include "FolderState.h"

#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/NameBytes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace journaltest {

namespace {

// The bytes, read without moving the access time.
QByteArray ReadUntouched(const QString& path) {
    QByteArray bytes;
    const int fd = ::open(vantuke::NameToBytes(path).constData(), O_RDONLY | O_NOATIME);
    EXPECT_GE(fd, 0) << path.toStdString();
    char chunk[65536];
    ssize_t got;
    while (fd >= 0 && (got = ::read(fd, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, got);
    if (fd >= 0)
        ::close(fd);
    return bytes;
}

} // namespace

FolderState ReadFolder(const QString& dir) {
    FolderState state;
    vantuke::ReadDirectory(dir, vantuke::EntryDetail::KindOnly, [&](const vantuke::DirEntry& e) {
        const QString path = dir + e.name;
        const std::optional<vantuke::FileStat> stat = vantuke::StatPath(path);
        if (stat && stat->IsRegularFile()) {
            const FileState file{ReadUntouched(path), stat->mode, stat->mtimeNsec, stat->atimeNsec};
            state.insert(vantuke::NameToBytes(e.name), file);
        }
        return true;
    });
    return state;
}

void ExpectSameFiles(const FolderState& before, const FolderState& after,
                     const FolderState& changed) {
    EXPECT_EQ(before.keys(), after.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const FileState& was = it.value();
        const FileState now = after.value(it.key());
        EXPECT_EQ(now.bytes, was.bytes);
        EXPECT_EQ(now.mode, was.mode);
        EXPECT_EQ(now.mtimeNsec, was.mtimeNsec);
        const bool runChangedIt =
            !changed.contains(it.key()) || changed.value(it.key()).bytes != was.bytes;
        if (runChangedIt) {
            EXPECT_EQ(now.atimeNsec, was.atimeNsec);
        }
    }
}

} // namespace journaltest
