#include "browse/Drives.h"
#include "base/ErrorTable.h"
#include "support/FakePrompts.h"
#include "support/HangingFuse.h"
#include "support/LateRelease.h"
#include "support/ScriptedProbe.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <future>
#include <gtest/gtest.h>

using namespace tobimaru;
using namespace std::chrono_literals;

namespace {

MountEntry Mount(const QString& mountPoint, const QString& type, const QString& source,
                 const QString& device = {}, const QString& label = {}) {
    return {mountPoint, type, source, device, label};
}

// A sysfs tree in miniature: a removable USB disk sdb with partition sdb1 (8:17), a fixed
// disk sda with partition sda1 (8:1), and a removable whole disk sdc reachable by name only.
class FakeSysfs {
public:
    FakeSysfs() {
        m_dir.write("devices/usb/sdb/removable", "1\n");
        m_dir.mkdir("devices/usb/sdb/sdb1");
        m_dir.write("devices/pci/sda/removable", "0\n");
        m_dir.mkdir("devices/pci/sda/sda1");
        m_dir.write("devices/usb/sdc/removable", "1\n");
        m_dir.mkdir("dev/block");
        m_dir.mkdir("class/block");
        link("devices/usb/sdb/sdb1", "dev/block/8:17");
        link("devices/pci/sda/sda1", "dev/block/8:1");
        link("devices/usb/sdc", "class/block/sdc");
    }
    QString root() const { return m_dir.path(); }

private:
    void link(const QString& target, const QString& name) {
        if (!QFile::link(m_dir.file(target), m_dir.file(name)))
            throw std::runtime_error("cannot link");
    }
    test::TempDir m_dir;
};

DriveEnvironment WithProbe(DriveProbe probe, std::chrono::milliseconds timeout = 2000ms) {
    DriveEnvironment env;
    env.probe = std::move(probe);
    env.readyTimeout = timeout;
    return env;
}

const MountTable kTable = {
    Mount("/", "ext4", "/dev/sda1", "8:1"),
    Mount("/proc", "proc", "proc"),
    Mount("/home", "ext4", "/dev/sda2", "8:2"),
    Mount("/media/me/MY DISK", "vfat", "/dev/sdb1", "8:17", "MY DISK"),
    Mount("/mnt/nas", "nfs4", "srv:/export"),
};

} // namespace

TEST(Drives, DriveNameIsTheLongestWholeComponentMountPrefix) {
    const DriveModel drives(kTable);
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"relative/path", ""},
        {"/", "/"},
        {"/etc/fstab", "/"},
        {"/home", "/home"},
        {"/home/", "/home"},
        {"/home/me/a.avi", "/home"},
        {"/home2/x", "/"},
        {"/homeless", "/"},
        {"/media/me/MY DISK/DCIM", "/media/me/MY DISK"},
        {"/media/me/MY", "/"},
        {"/media/../home/x", "/home"},
        {"/mnt/nas/movies", "/mnt/nas"},
    };
    for (const auto& [path, drive] : cases)
        EXPECT_EQ(drives.GetDriveName(QString::fromUtf8(path)), QString::fromUtf8(drive)) << path;

    EXPECT_EQ(DriveModel({Mount("/media/x", "vfat", "/dev/sdb1")}).GetDriveName("/home/x"), "");
}

TEST(Drives, DriveTypeFollowsFileSystemDeviceAndSysfs) {
    FakeSysfs sysfs;
    DriveEnvironment env;
    env.sysfsRoot = sysfs.root();
    const DriveModel drives(
        {
            Mount("/", "ext4", "/dev/sda1", "8:1"), Mount("/media/usb", "vfat", "/dev/sdb1", "8:17"),
            Mount("/media/whole", "btrfs", "/dev/sdc", "0:45"), // btrfs: anonymous device number
            Mount("/mnt/nas", "nfs", "srv:/x", "0:50"), Mount("/mnt/ssh", "fuse.sshfs", "me@host:/", "0:51"),
            Mount("/mnt/win", "cifs", "//srv/share", "0:52"),
            Mount("/media/cd", "iso9660", "/dev/sr0", "11:0"), Mount("/media/bd", "udf", "/dev/sr1", "11:1"),
            Mount("/media/sr", "auto", "/dev/sr2", "11:2"), Mount("/tmp", "tmpfs", "tmpfs", "0:30"),
            Mount("/ram", "ramfs", "none", "0:31"),
            Mount("/data", "xfs", "/dev/sdz9", "8:99"),   // no sysfs entry: fixed
            Mount("/media/usb", "nfs", "srv:/y", "0:60"), // mounted over the stick
        },
        env);
    const std::pair<const char*, int> cases[] = {
        {"/", DriveType::Fixed},
        {"/media/whole", DriveType::Removable},
        {"/mnt/nas", DriveType::Remote},
        {"/mnt/nas/no/such/folder", DriveType::Remote}, // a network path is never stat'ed
        {"/mnt/ssh", DriveType::Remote},
        {"/mnt/win", DriveType::Remote},
        {"/media/cd", DriveType::CdRom},
        {"/media/bd", DriveType::CdRom},
        {"/media/sr", DriveType::CdRom},
        {"/tmp", DriveType::RamDisk},
        {"/ram", DriveType::RamDisk},
        {"/data", DriveType::Fixed},
        {"/media/usb", DriveType::Remote}, // the top of the two mounts counts
        {"", DriveType::NoRootDir},
        {"relative", DriveType::NoRootDir},
        {"/no/such/path/anywhere", DriveType::NoRootDir},
    };
    for (const auto& [path, type] : cases)
        EXPECT_EQ(drives.GetDriveType(QString::fromUtf8(path)), type) << path;

    const DriveModel stick({Mount("/media/usb", "vfat", "/dev/sdb1", "8:17")}, env);
    EXPECT_EQ(stick.GetDriveType("/media/usb"), DriveType::Removable); // the partition's disk
    EXPECT_EQ(DriveModel({}).GetDriveType("/x"), DriveType::Unknown);
}

TEST(Drives, AddressBoxShowsWhatAFileManagerShows) {
    const DriveModel drives({
        Mount("/", "overlay", "overlay"),
        Mount("/proc", "proc", "proc"),
        Mount("/sys", "sysfs", "sysfs"),
        Mount("/dev", "devtmpfs", "devtmpfs"),
        Mount("/dev/shm", "tmpfs", "tmpfs"),
        Mount("/run", "tmpfs", "tmpfs"),
        Mount("/run/user/1000/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse"),
        Mount("/run/media/me/STICK", "vfat", "/dev/sdb1"),
        Mount("/boot", "ext4", "/dev/sda1"),
        Mount("/boot/efi", "vfat", "/dev/sda15"),
        Mount("/bootleg", "ext4", "/dev/sda5"),
        Mount("/snap/core/1", "squashfs", "/dev/loop0"),
        Mount("/home", "ext4", "/dev/sda2"),
        Mount("/tmp", "tmpfs", "tmpfs"),
        Mount("/mnt/nas", "nfs4", "srv:/export"),
        Mount("/home", "ext4", "/dev/sda3"), // mounted twice: listed once
        Mount("/media/me/ISO", "iso9660", "/dev/loop1"),
    });
    EXPECT_EQ(drives.AddressBoxDrives(),
              QStringList({"/", "/run/media/me/STICK", "/bootleg", "/home", "/mnt/nas", "/media/me/ISO"}));
}

TEST(Drives, RootCaptionIsLabelOrKindThenMountPoint) {
    FakeSysfs sysfs;
    DriveEnvironment env;
    env.sysfsRoot = sysfs.root();
    const DriveModel drives(
        {
            Mount("/", "ext4", "/dev/sda1", "8:1"),
            Mount("/media/a", "vfat", "/dev/sdb1", "8:17"),
            Mount("/media/b", "vfat", "/dev/sdb1", "8:17", QString::fromUtf8("写真 2003")),
            Mount("/mnt/nas", "nfs", "srv:/x"),
            Mount("/media/cd", "iso9660", "/dev/sr0"),
            Mount("/dev/shm", "tmpfs", "tmpfs"),
        },
        env);
    const std::pair<const char*, const char*> cases[] = {
        {"/", "ローカル ディスク (/)"},       {"/media/a", "リムーバブル ディスク (/media/a)"},
        {"/media/b", "写真 2003 (/media/b)"}, {"/mnt/nas", "ネットワーク ドライブ (/mnt/nas)"},
        {"/media/cd", "CD-ROM (/media/cd)"},  {"/dev/shm", "RAMディスク (/dev/shm)"},
    };
    for (const auto& [drive, caption] : cases)
        EXPECT_EQ(drives.RootCaption(QString::fromUtf8(drive)), QString::fromUtf8(caption)) << drive;
}

TEST(Drives, CheckDriveReadyTellsWhyADriveCannotBeOpened) {
    FakeSysfs sysfs;
    struct Case {
        const char* name;
        MountTable table;
        const char* path;
        bool probeAnswer;
        bool ready;
        const char* text;
        PromptIcon icon;
    };
    const Case cases[] = {
        {"undetermined",
         {},
         "/x",
         true,
         false,
         "ドライブ はドライブの種類が判定できません。",
         PromptIcon::Critical},
        {"no drive", kTable, "relative/x", true, false, "ドライブ は存在しません。", PromptIcon::Critical},
        {"ready", kTable, "/home/me", true, true, nullptr, PromptIcon::None},
        {"removable not ready",
         {Mount("/", "ext4", "/dev/sda1", "8:1"), Mount("/media/usb", "vfat", "/dev/sdb1", "8:17")},
         "/media/usb/DCIM",
         false,
         false,
         "ドライブ /media/usb - フロッピーディスク又はリムーバブル ディスク\r\nの準備ができていません。",
         PromptIcon::Information},
        {"network not ready", kTable, "/mnt/nas/a", false, false,
         "ドライブ /mnt/nas - ネットワーク ドライブ\r\nの準備ができていません。", PromptIcon::Information},
        {"disk not ready", kTable, "/home", false, false,
         "ドライブ /home - ハード ディスク\r\nの準備ができていません。", PromptIcon::Information},
    };
    for (const Case& c : cases) {
        QStringList probed;
        DriveEnvironment env = WithProbe([&probed, answer = c.probeAnswer](const QString& mp) {
            probed << mp;
            return answer;
        });
        env.sysfsRoot = sysfs.root();
        const DriveModel drives(c.table, env);
        test::FakePrompts prompts;
        EXPECT_EQ(CheckDriveReady(QString::fromUtf8(c.path), drives, prompts), c.ready) << c.name;
        if (!c.text) {
            EXPECT_TRUE(prompts.boxes.isEmpty()) << c.name;
            EXPECT_EQ(probed, QStringList{"/home"}) << c.name;
            continue;
        }
        ASSERT_EQ(prompts.boxes.size(), 1) << c.name;
        EXPECT_EQ(prompts.boxes[0].text, QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(prompts.boxes[0].icon, c.icon) << c.name;
        EXPECT_EQ(prompts.boxes[0].buttons, PromptButtons::Ok) << c.name;
        EXPECT_EQ(prompts.boxes[0].caption, "TobimaruMe") << c.name;
    }
}

TEST(Drives, AFailingProbeEndsInTheErrorBox) {
    const DriveModel drives(kTable, WithProbe([](const QString&) -> bool {
                                throw Failure(ErrorCode::DeviceUnavailable, "probe");
                            }));
    test::FakePrompts prompts;
    EXPECT_FALSE(CheckDriveReady("/home", drives, prompts));
    ASSERT_EQ(prompts.boxes.size(), 1);
    EXPECT_EQ(prompts.boxes[0].caption, "TobimaruMeエラー");
    EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(prompts.boxes[0].text.contains("68"));
}

TEST(Drives, AHangingProbeCountsAsNotReadyWithoutFreezing) {
    // The probe blocks until the test lets it go, as a dead network server would.
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    auto hanging = [released](const QString&) {
        released.wait();
        return true;
    };
    for (const auto timeout : {std::chrono::milliseconds(150), DriveEnvironment().readyTimeout}) {
        const DriveModel drives(kTable, WithProbe(hanging, timeout));
        test::FakePrompts prompts;
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(CheckDriveReady("/mnt/nas/movies", drives, prompts));
        EXPECT_LT(clock.elapsed(), timeout.count() + 900);
        EXPECT_EQ(prompts.texts(),
                  QStringList{"ドライブ /mnt/nas - ネットワーク ドライブ\r\nの準備ができていません。"});
    }
    release->set_value();
}

TEST(Drives, RealProbeAndLiveTable) {
    test::TempDir dir;
    EXPECT_TRUE(ProbeDriveReady(dir.path()));
    EXPECT_FALSE(ProbeDriveReady(dir.file("missing")));
    EXPECT_FALSE(ProbeDriveReady(dir.write("file", "x")));

    const DriveModel live = DriveModel::FromSystem();
    EXPECT_TRUE(live.AddressBoxDrives().contains("/"));
    const QString drive = live.GetDriveName(dir.path());
    EXPECT_TRUE(drive == "/" || dir.path().startsWith(drive + "/")) << drive.toStdString();
    test::FakePrompts prompts;
    EXPECT_TRUE(CheckDriveReady(dir.path(), live, prompts));
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST(Drives, OneTableHoldsWhatEachKindOfDriveIsKnownBy) {
    const struct {
        int type;
        const char* caption;
        const char* readyText;
        const char* icon;
    } cases[] = {
        {DriveType::Unknown, "ローカル ディスク", "", "drive-harddisk"},
        {DriveType::NoRootDir, "ローカル ディスク", "", "drive-harddisk"},
        {DriveType::Removable, "リムーバブル ディスク", "フロッピーディスク又はリムーバブル ディスク",
         "drive-removable-media"},
        {DriveType::Fixed, "ローカル ディスク", "ハード ディスク", "drive-harddisk"},
        {DriveType::Remote, "ネットワーク ドライブ", "ネットワーク ドライブ", "folder-remote"},
        {DriveType::CdRom, "CD-ROM", "CD-ROM", "media-optical"},
        {DriveType::RamDisk, "RAMディスク", "RAMディスク", "drive-harddisk"},
        {7, "ローカル ディスク", "", "drive-harddisk"},
        {-1, "ローカル ディスク", "", "drive-harddisk"},
    };
    for (const auto& c : cases) {
        const DriveKind& kind = DriveKindOf(c.type);
        EXPECT_STREQ(kind.caption, c.caption) << c.type;
        EXPECT_EQ(DriveKindText(c.type), QString::fromUtf8(c.readyText)) << c.type;
        EXPECT_STREQ(kind.iconName, c.icon) << c.type;
        EXPECT_EQ(kind.networkIcon, c.type == DriveType::Remote) << c.type;
        if (c.type >= 0 && c.type <= DriveType::RamDisk) {
            EXPECT_EQ(kind.type, c.type);
        }
    }
    // Every file-system type named in the table makes a mount of that table row's kind.
    for (int type = DriveType::Unknown; type <= DriveType::RamDisk; ++type) {
        for (const char* fs : DriveKindOf(type).fsTypes) {
            const DriveModel drives({Mount("/", "ext4", "/dev/sda1"), Mount("/m", fs, "src")});
            EXPECT_EQ(drives.GetDriveType("/m"), type) << fs;
        }
    }
}

TEST(Drives, ADeadDriveAnswersAtOnceTheSecondTimeAndLeavesNoThreadPerTry) {
    test::ScriptedProbe script;
    script.hang("/mnt/nas");
    DriveEnvironment env;
    env.prober = std::make_shared<MountProber>(script.probe());
    env.readyTimeout = 300ms;
    const int before = test::ProcessThreadCount();
    for (int attempt = 0; attempt < 6; ++attempt) {
        // A fresh snapshot each time, as every navigation takes one; after the first try a
        // limit so long that a wait would outlast the late release and see the drive ready.
        if (attempt == 1)
            env.readyTimeout = 60s;
        const DriveModel drives(kTable, env);
        const test::LateRelease safety(script);
        test::FakePrompts prompts;
        EXPECT_FALSE(CheckDriveReady("/mnt/nas/movies", drives, prompts)) << attempt;
        EXPECT_EQ(prompts.texts(),
                  QStringList{"ドライブ /mnt/nas - ネットワーク ドライブ\r\nの準備ができていません。"})
            << attempt;
    }
    EXPECT_EQ(script.calls("/mnt/nas"), 1) << "one probe for all the tries";
    EXPECT_LE(test::SettledThreadCount(before + 1), before + 1);
    EXPECT_EQ(env.prober->workerCount(), 1);
}
