#include "selection/DirTreeRoots.h"
#include "selection/NameOrder.h"

#include "platform/NameBytes.h"

#include <gtest/gtest.h>

using namespace vantuke;

TEST(ParseMounts, ReadsPathAndTypeAndDecodesEscapes) {
    const QByteArray table = "/dev/sda1 / ext4 rw,relatime 0 0\n"
                             "proc /proc proc rw 0 0\n"
                             "/dev/sdb1 /media/me/My\\040Disk vfat rw 0 0\n"
                             "server:/x /mnt/back\\134slash nfs4 rw 0 0\n"
                             "\n"
                             "broken-line\n";
    const QList<MountPoint> mounts = ParseMounts(table);
    ASSERT_EQ(mounts.size(), 4);
    EXPECT_EQ(mounts[0].path, "/");
    EXPECT_EQ(mounts[0].type, "ext4");
    EXPECT_EQ(mounts[2].path, "/media/me/My Disk");
    EXPECT_EQ(mounts[3].path, "/mnt/back\\slash");
    EXPECT_EQ(mounts[3].type, "nfs4");
}

TEST(DirTreeRoots, HomeFileSystemThenVolumesBelowTheMountFolders) {
    const QList<MountPoint> mounts{
        {"/", "ext4"},
        {"/proc", "proc"},
        {"/mnt/nas", "cifs"},
        {"/media/me/USB", "vfat"},
        {"/run/media/me/CARD", "exfat"},
        {"/media/me/USB", "ext4"}, // mounted over the first one
        {"/mnt", "tmpfs"},         // the folder itself is no volume
        {"/media2/x", "ext4"},
        {"/home", "ext4"},
    };
    const QList<DirTreeRoot> roots = DirTreeRoots("/home/me", mounts);
    const QList<DirTreeRoot> expected{
        {"/home/me/", "Home", RootKind::Home, false},
        {"/", "File System", RootKind::FileSystem, false},
        {"/media/me/USB/", "USB", RootKind::Volume, false},
        {"/mnt/nas/", "nas", RootKind::Volume, true},
        {"/run/media/me/CARD/", "CARD", RootKind::Volume, false},
    };
    EXPECT_EQ(roots, expected);
}

TEST(DirTreeRoots, AVolumeLabelThatIsNotUtf8KeepsItsBytesAndShowsAsWindows1252) {
    const QList<MountPoint> mounts = ParseMounts("/dev/sdc1 /media/me/Caf\xE9 vfat rw 0 0\n");
    ASSERT_EQ(mounts.size(), 1);
    EXPECT_EQ(NameToBytes(mounts[0].path), "/media/me/Caf\xE9");
    const QList<DirTreeRoot> roots = DirTreeRoots("/home/me", mounts);
    ASSERT_EQ(roots.size(), 3);
    EXPECT_EQ(NameToBytes(roots[2].path), "/media/me/Caf\xE9/");
    EXPECT_EQ(roots[2].caption, u"Caf\u00E9"_qs);
}

TEST(DirTreeRoots, AHomeThatIsTheRootGivesNoSeparateNode) {
    const QList<DirTreeRoot> roots = DirTreeRoots("/", {});
    ASSERT_EQ(roots.size(), 1);
    EXPECT_EQ(roots[0].kind, RootKind::FileSystem);
}

TEST(DirTreeRoots, NetworkTypes) {
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "sshfs"})
        EXPECT_TRUE(IsNetworkFileSystem(type)) << type;
    for (const char* type : {"ext4", "vfat", "fuse", "fuseblk", "tmpfs", "btrfs"})
        EXPECT_FALSE(IsNetworkFileSystem(type)) << type;
}

TEST(OwningRoot, TheLongestMatchingRootWins) {
    const QStringList roots{"/home/me/", "/", "/media/me/USB/"};
    const struct {
        const char* path;
        int owner;
    } cases[] = {
        {"/home/me/", 0},   {"/home/me/Music/", 0},  {"/home/meg/", 1}, {"/home/", 1},
        {"/", 1},           {"/media/me/USB/a/", 2}, {"relative/", -1}, {"?/", -1},
        {"/HOME/me/x/", 1}, // paths keep their case
    };
    for (const auto& c : cases)
        EXPECT_EQ(OwningRoot(roots, c.path), c.owner) << c.path;
}

TEST(SortNames, CollatesWithoutRegardToCaseAndBreaksTiesByCodeUnits) {
    QStringList names{"gamma", "Beta", "alpha", "b", "B", "a10", "a9"};
    SortNames(names);
    EXPECT_EQ(names, (QStringList{"a10", "a9", "alpha", "B", "b", "Beta", "gamma"}));
}
