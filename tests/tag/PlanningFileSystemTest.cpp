// The model of a dry run answers as the disk would after the same calls, and leaves the disk
// as it was.
#include "tag/PlanningFileSystem.h"
#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using namespace vantuke;
using namespace testsupport;

// One call on a file system, by names inside its folder, and what it answered.
using Call = std::function<QString(FileSystem& files, const QString& dir)>;

Call RenameCall(const QString& from, const QString& to) {
    return [=](FileSystem& files, const QString& dir) {
        return QString("rename %1 > %2: %3")
            .arg(from, to.left(20))
            .arg(files.Rename(dir + from, dir + to));
    };
}

Call StatCall(const QString& name) {
    return [=](FileSystem& files, const QString& dir) {
        const std::optional<FileStat> stat = files.Stat(dir + name);
        return QString("stat %1: %2").arg(name).arg(stat ? stat->size : -1);
    };
}

// Opens for a change, and writes a tag when asked to, or cuts one; reports what the file
// then holds at its end, or the error.
Call ChangeCall(const QString& name, const char* what) {
    return [=](FileSystem& files, const QString& dir) {
        try {
            const std::unique_ptr<TagFile> file = files.Open(dir + name, OpenMode::Change);
            if (QByteArray(what) == "write") {
                TTagRecord record;
                SetFieldText(record, TagField::SongName, "Planned");
                file->WriteTag(record);
            } else if (QByteArray(what) == "remove") {
                file->RemoveTag();
            }
            return QString("%1 %2: size %3, ends %4")
                .arg(what, name)
                .arg(file->Stat().size)
                .arg(QString::fromLatin1(file->LastBytes().first(10).toByteArray().toHex()));
        } catch (const IoError& error) {
            return QString("%1 %2: %3").arg(what, name, error.Text());
        }
    };
}

Call ClearCall(const QString& name) {
    return [=](FileSystem& files, const QString& dir) {
        return QString("clear %1: %2").arg(name).arg(files.ClearReadOnly(dir + name));
    };
}

// The same folder twice: one for the model, one for the disk.
void MakeFolder(const QString& dir) {
    WriteMp3(dir + "a.mp3", 300, MakeTag("A", "B"));
    WriteMp3(dir + "b.mp3", 300);
    WriteFile(dir + "twice.mp3", AudioBytes(300) + MakeTag("One", "") + MakeTag("Two", ""));
    WriteFile(dir + "short.mp3", "tiny");
    WriteMp3(dir + "ro.mp3", 300, MakeTag("R", "O"));
    MakeReadOnly(dir + "ro.mp3");
    ASSERT_EQ(::symlink("nowhere/x.mp3", QFile::encodeName(dir + "dangling.mp3").constData()), 0);
}

QStringList Listing(const QString& dir) {
    QStringList names;
    for (const QString& name :
         QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        names << name + " " + QString::fromLatin1(ReadFile(dir + name).toHex().right(16));
    return names;
}

TEST(PlanningFileSystem, AnswersEveryCallAsTheDiskDoesAfterTheSameCalls) {
    const std::vector<Call> calls = {
        RenameCall("a.mp3", "dangling.mp3"),    // a dangling link is a name taken
        RenameCall("a.mp3", "b.mp3"),           // a file is
        RenameCall("a.mp3", "a.mp3"),           // its own name is no change
        RenameCall("missing.mp3", "m.mp3"),     // nothing to rename
        RenameCall("a.mp3", "nofolder/a.mp3"),  // no such folder
        RenameCall("a.mp3", QString(256, 'n')), // longer than a name may be
        RenameCall("a.mp3", QString(255, 'n')), // as long as a name may be
        RenameCall("b.mp3", "a.mp3"),           // the name the first rename freed
        StatCall("a.mp3"),
        StatCall(QString(255, 'n')),
        ChangeCall(QString(255, 'n'), "read"), // the moved file, with its tag
        ChangeCall("a.mp3", "write"),          // the other file, a new tag
        ChangeCall("a.mp3", "read"),
        ChangeCall("twice.mp3", "remove"), // the second tag, then the first
        ChangeCall("twice.mp3", "remove"),
        ChangeCall("twice.mp3", "remove"), // none left
        ChangeCall("twice.mp3", "write"),
        ChangeCall("short.mp3", "read"), // too short for a tag
        ChangeCall("b.mp3", "read"),     // renamed away
        ChangeCall("ro.mp3", "write"),   // read-only
        ClearCall("ro.mp3"),
        ClearCall("ro.mp3"), // already cleared
        ChangeCall("ro.mp3", "write"),
        StatCall("b.mp3"),
    };
    TempDir modelDir;
    TempDir diskDir;
    MakeFolder(modelDir.Dir());
    MakeFolder(diskDir.Dir());
    const QStringList untouched = Listing(modelDir.Dir());

    PlanningFileSystem model;
    DiskFileSystem disk;
    for (const Call& call : calls)
        EXPECT_EQ(call(model, modelDir.Dir()), call(disk, diskDir.Dir()));
    EXPECT_EQ(Listing(modelDir.Dir()), untouched);
    EXPECT_NE(Listing(diskDir.Dir()), untouched);
    EXPECT_FALSE(QFileInfo(modelDir.Dir() + "ro.mp3").permissions() & QFile::WriteOwner)
        << "the model changed a mode on disk";
}

} // namespace
