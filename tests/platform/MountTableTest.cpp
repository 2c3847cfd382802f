#include "platform/MountTable.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tobimaru;

TEST(MountTable, ParsesFieldsEscapesAndOptionalFieldsInTableOrder) {
    const QByteArray text =
        "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "90 26 8:17 / /media/me/MY\\040DISK rw,nosuid shared:40 master:3 - vfat /dev/sdb1 rw\n"
        "91 26 0:50 / /mnt/back\\134slash\\011tab rw - nfs4 srv:/export\\040x rw\n"
        "garbage line without separator\n"
        "\n"
        "92 26 0:51 /sub /home rw - btrfs /dev/sda2 rw,subvol=/@home\n";
    const MountTable t = ParseMountInfo(text);
    ASSERT_EQ(t.size(), 4);
    EXPECT_EQ(t[0].mountPoint, "/");
    EXPECT_EQ(t[0].fsType, "ext4");
    EXPECT_EQ(t[0].source, "/dev/vda");
    EXPECT_EQ(t[0].device, "254:0");
    EXPECT_EQ(t[1].mountPoint, "/media/me/MY DISK");
    EXPECT_EQ(t[1].fsType, "vfat");
    EXPECT_EQ(t[1].device, "8:17");
    EXPECT_EQ(t[2].mountPoint, "/mnt/back\\slash\ttab");
    EXPECT_EQ(t[2].source, "srv:/export x");
    EXPECT_EQ(t[3].mountPoint, "/home");
    EXPECT_TRUE(t[3].label.isEmpty());
}

TEST(MountTable, DecodesOnlyWholeOctalEscapes) {
    EXPECT_EQ(DecodeMountField("/a\\040b"), "/a b");
    EXPECT_EQ(DecodeMountField("/a\\04"), "/a\\04");   // cut short at the end
    EXPECT_EQ(DecodeMountField("/a\\09x"), "/a\\09x"); // 9 is no octal digit
    EXPECT_EQ(DecodeMountField("/\xe5\x86\x99\xe7\x9c\x9f"), QString::fromUtf8("/写真"));
}

TEST(MountTable, ReadsTheLiveTable) {
    const MountTable t = ReadMountInfo();
    ASSERT_FALSE(t.isEmpty());
    bool hasRoot = false;
    for (const MountEntry& e : t)
        hasRoot = hasRoot || e.mountPoint == "/";
    EXPECT_TRUE(hasRoot);
    EXPECT_TRUE(ReadMountInfo(QStringLiteral("/nonexistent/mountinfo")).isEmpty());
}

TEST(MountTable, LabelsComeFromByLabelLinksToTheSourceDevice) {
    test::TempDir dir;
    const QString sdb1 = dir.write("dev/sdb1");
    const QString dm0 = dir.write("dev/dm-0");
    dir.mkdir("dev/mapper");
    ASSERT_TRUE(QFile::link(dm0, dir.file("dev/mapper/crypt")));
    dir.mkdir("by-label");
    ASSERT_TRUE(QFile::link(sdb1, dir.file("by-label/MY\\x20STICK")));
    ASSERT_TRUE(QFile::link(dm0, dir.file("by-label/Secret")));
    ASSERT_TRUE(QFile::link(dir.file("dev/gone"), dir.file("by-label/Dangling")));

    const QHash<QString, QString> labels = ReadVolumeLabels(dir.file("by-label"));
    EXPECT_EQ(labels.size(), 2);
    EXPECT_EQ(labels.value(sdb1), "MY STICK");

    MountTable t = {
        {"/media/a", "vfat", sdb1, "8:17", {}},
        {"/media/b", "ext4", dir.file("dev/mapper/crypt"), "253:0", {}}, // a link to the node
        {"/mnt/nas", "nfs", "srv:/x", "0:50", {}},
    };
    ApplyVolumeLabels(t, labels);
    EXPECT_EQ(t[0].label, "MY STICK");
    EXPECT_EQ(t[1].label, "Secret");
    EXPECT_EQ(t[2].label, "");
    EXPECT_TRUE(ReadVolumeLabels(dir.file("none")).isEmpty());
}

TEST(MountTable, DecodesUdevEscapes) {
    EXPECT_EQ(DecodeUdevName("A\\x20B"), "A B");
    EXPECT_EQ(DecodeUdevName("\\xe5\\x86\\x99"), QString::fromUtf8("写"));
    EXPECT_EQ(DecodeUdevName("bad\\xZZ"), "bad\\xZZ");
}
