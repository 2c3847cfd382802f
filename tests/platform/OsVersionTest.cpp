#include "platform/OsVersion.h"
#include "base/IconSet.h"

#include <gtest/gtest.h>

using namespace tobimaru;

TEST(OsVersion, TextOfEachVersionRecord) {
    struct Case {
        const char* name;
        OsVersionRecord record;
        const char* text;
    };
    const QString nulTail = QString("Service Pack 6a") + QChar(u'\0') + "junk";
    const Case cases[] = {
        {"XP Home", {2, 5, 1, 2600, "", true, 1, 0x200}, "Windows XP Home Edition Build: 2600"},
        {"XP Professional SP2",
         {2, 5, 1, 2600, "Service Pack 2", true, 1, 0},
         "Windows XP Professional (Service Pack 2) Build: 2600"},
        {"XP without extended record", {2, 5, 1, 2600, "", false, 1, 0x200}, "Windows XP Build: 2600"},
        {"XP on a server", {2, 5, 1, 3604, "", true, 3, 0}, "Windows 2002 .NET Server Build: 3604"},
        {"2000 Server SP",
         {2, 5, 0, 2195, "Service Pack 4", true, 3, 0},
         "Windows 2000 Server (Service Pack 4) Build: 2195"},
        {"2000 Professional", {2, 5, 0, 2195, "", true, 1, 0}, "Windows 2000 Professional Build: 2195"},
        {"2000 domain controller", {2, 5, 0, 2195, "", true, 2, 0}, "Windows 2000 Build: 2195"},
        {"5.2", {2, 5, 2, 3790, "", true, 3, 0}, "Windows Whistlar later Build: 3790"},
        {"6.0", {2, 6, 0, 6000, "", true, 1, 0}, "Windows Whistlar later Build: 6000"},
        {"NT 4.0 workstation",
         {2, 4, 0, 1381, nulTail, true, 1, 0},
         "Windows NT Version 4.00 Workstation (Service Pack 6a) Build: 1381"},
        {"NT 4.0 without extended record",
         {2, 4, 0, 1381, "", false, 1, 0},
         "Windows NT Version 4.00 Build: 1381"},
        {"NT 3.51 server", {2, 3, 51, 1057, "", true, 3, 0}, "Windows NT Version 3.51 Server Build: 1057"},
        {"NT minor of three digits", {2, 3, 123, 1, "", false, 0, 0}, "Windows NT Version 3.23 Build: 1"},
        {"NT large build", {2, 5, 0, 0x80000001u, "", false, 0, 0}, "Windows 2000 Build: 2147483649"},
        {"95 with SP text", {1, 4, 0, 0x040003B6, " C", false, 0, 0}, "Windows 95 C Build: 950"},
        {"98 high build word", {1, 4, 10, 0x040A08AE, "A", false, 0, 0}, "Windows 98 Build: 2222"},
        {"98 low word negative", {1, 4, 10, 0x040A8000, "", false, 0, 0}, "Windows 98 Build: -32768"},
        {"Me", {1, 4, 90, 0x045A0BB8, "", false, 0, 0}, "Windows Me Build: 3000"},
        {"9x later", {1, 5, 0, 1, "", false, 0, 0}, "Windows Me later Build: 1"},
        {"unknown platform", {0, 5, 1, 2600, "", true, 1, 0}, ""},
        {"CE platform", {3, 4, 0, 1, "", false, 0, 0}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetOsVersionString(c.record), QString::fromUtf8(c.text)) << c.name;
}

TEST(OsVersion, SignedLowWord) {
    EXPECT_EQ(SignedLowWord(0x0000FFFF), -1);
    EXPECT_EQ(SignedLowWord(0x12347FFF), 32767);
    EXPECT_EQ(SignedLowWord(-1), -1);
}

TEST(OsVersion, RunningSystemAndShell) {
    const QString os = GetOsVersionString();
    EXPECT_FALSE(os.isEmpty());
    EXPECT_FALSE(os.contains("Windows XP"));
    EXPECT_EQ(os, LinuxOsVersionString());
    EXPECT_EQ(GetShellVersion(), QString::fromUtf8("不明"));
}

TEST(OsVersion, HasExportLoadsAndReleases) {
    EXPECT_TRUE(HasExport("libc.so.6", "printf"));
    EXPECT_FALSE(HasExport("libc.so.6", "DllGetVersion"));
    EXPECT_FALSE(HasExport("shell32.dll", "DllGetVersion"));
    EXPECT_FALSE(HasExport("", "printf"));
}

TEST(IconSet, XpColumnOnlyForTextsNamingWindowsXp) {
    const std::pair<const char*, bool> cases[] = {
        {"Windows XP Home Edition Build: 2600", true},
        {"Windows XP Build: 2600", true},
        {"xx Windows XP", true},
        {"windows xp", false},
        {"Windows 2002 .NET Server Build: 3604", false},
        {"Windows 2000 Server Build: 2195", false},
        {"Windows Whistlar later Build: 6000", false},
        {"Windows 98 Build: 2222", false},
        {"", false},
        {nullptr, false}, // the running system
    };
    for (const auto& [os, xp] : cases) {
        const QString text = os ? QString::fromUtf8(os) : LinuxOsVersionString();
        const IconSet set = ChooseIconSet(text);
        EXPECT_EQ(set.desktop, xp ? "DeskTopXp" : "DeskTop98") << text.toStdString();
        EXPECT_EQ(set.myMusic, xp ? "MyMusicXp" : "FolderClose98") << text.toStdString();
        EXPECT_EQ(set.myVideos, xp ? "MyVideoXp" : "FolderClose98") << text.toStdString();
        EXPECT_EQ(set.closedFolder, xp ? "FolderClose" : "FolderClose98") << text.toStdString();
    }
}
