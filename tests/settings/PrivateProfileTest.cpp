#include "settings/PrivateProfile.h"
#include "base/ErrorTable.h"
#include "settings/IniFile.h"
#include "settings/SettingsConvert.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringEncoder>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tobimaru;
using tobimaru::test::TempDir;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Failure& e) {
        return ErrorNumber(e.code());
    }
    return 0;
}

const QByteArray kHandWritten = "; written by hand\n"
                                "stray=before any section\n"
                                "\n"
                                "[Boot]\n"
                                "SearchPath=1\n"
                                "  MousePlay = 0  \n"
                                "# a note\n"
                                "\n"
                                "[Mine]\n"
                                "Colour=blue\n";

} // namespace

TEST(PrivateProfile, NamesMatchWithoutRegardToCaseAndTheFirstMatchWins) {
    TempDir dir;
    const QString ini = dir.write("a.ini", "[boot]\nmouseplay=1\nMOUSEPLAY=2\n[BOOT]\nMousePlay=3\n");
    EXPECT_EQ(ReadProfileString(ini, "Boot", "mousePlay", "0"), "1");
    EXPECT_EQ(ReadProfileString(ini, "bOOT", "MousePlay", "0"), "1");
    EXPECT_EQ(ReadProfileString(ini, "", "MousePlay", "d"), "d");
    EXPECT_EQ(ReadProfileString(ini, "Boot", "", "d"), "d");
}

TEST(PrivateProfile, WritesChangeOnlyTheirLine) {
    struct Case {
        const char* name;
        std::function<bool(const QString&)> change;
        QByteArray expected;
    };
    const Case cases[] = {
        {"replace in place, key keeps its spelling",
         [](const QString& p) { return WriteProfileString(p, "BOOT", "mouseplay", "1"); },
         "; written by hand\nstray=before any section\n\n[Boot]\nSearchPath=1\n  MousePlay =1\n# a note\n\n"
         "[Mine]\nColour=blue\n"},
        {"new key after the section's last line, before its blank line",
         [](const QString& p) { return WriteProfileString(p, "boot", "ScreenSaver", "1"); },
         "; written by hand\nstray=before any section\n\n[Boot]\nSearchPath=1\n  MousePlay = 0  \n# a note\n"
         "ScreenSaver=1\n\n[Mine]\nColour=blue\n"},
        {"new section at the end",
         [](const QString& p) { return WriteProfileString(p, "FormPos", "Width", "12180"); },
         kHandWritten + "\n[FormPos]\nWidth=12180\n"},
        {"delete key", [](const QString& p) { return DeleteProfileKey(p, "Boot", "MOUSEPLAY"); },
         "; written by hand\nstray=before any section\n\n[Boot]\nSearchPath=1\n# a "
         "note\n\n[Mine]\nColour=blue\n"},
        {"delete section with everything under it",
         [](const QString& p) { return DeleteProfileSection(p, "boot"); },
         "; written by hand\nstray=before any section\n\n[Mine]\nColour=blue\n"},
        {"delete of an absent key leaves the file alone",
         [](const QString& p) { return DeleteProfileKey(p, "Boot", "Nothing"); }, kHandWritten},
        {"a value with a line break would forge a line: refused",
         [](const QString& p) { return !WriteProfileString(p, "Boot", "SearchPath", "1\n[Evil]"); },
         kHandWritten},
        {"a key holding '=' is refused",
         [](const QString& p) { return !WriteProfileString(p, "Boot", "a=b", "1"); }, kHandWritten},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const QString ini = dir.write("a.ini", kHandWritten);
        EXPECT_TRUE(c.change(ini)) << c.name;
        EXPECT_EQ(ReadAll(ini).toStdString(), c.expected.toStdString()) << c.name;
    }
}

TEST(PrivateProfile, WriteCreatesFolderAndFileAndKeepsWindowsLineEnds) {
    TempDir dir;
    const QString ini = dir.file("new/sub/a.ini");
    EXPECT_TRUE(WriteProfileString(ini, "Boot", "SearchPath", "1"));
    EXPECT_EQ(ReadAll(ini), "[Boot]\nSearchPath=1\n");

    const QString crlf = dir.write("crlf.ini", "[Boot]\r\nSearchPath=0\r\n");
    EXPECT_TRUE(WriteProfileString(crlf, "Boot", "SearchPath", "1"));
    EXPECT_EQ(ReadAll(crlf), "[Boot]\r\nSearchPath=1\r\n");
}

TEST(PrivateProfile, DeletesOnAMissingFileCreateNothing) {
    TempDir dir;
    const QString ini = dir.file("none.ini");
    EXPECT_TRUE(DeleteProfileKey(ini, "Boot", "SearchPath"));
    EXPECT_TRUE(DeleteProfileSection(ini, "Boot"));
    EXPECT_FALSE(QFile::exists(ini));
}

TEST(PrivateProfile, WritesReplaceTheFileAtomicallyAndLeaveNoTemporaryFile) {
    TempDir dir;
    const QString ini = dir.write("a.ini", kHandWritten);
    QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(WriteProfileString(ini, "Boot", QStringLiteral("K%1").arg(i), "v"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});

    // Each write renames a new file over the old one; a value written unchanged rewrites nothing.
    const auto inode = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(ini).constData(), &st);
        return st.st_ino;
    };
    const auto first = inode();
    ASSERT_TRUE(WriteProfileString(ini, "boot", "k4", "v"));
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(WriteProfileString(ini, "Boot", "k4", "w"));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(QFile::permissions(ini) & QFileDevice::Permissions(0x7077),
              QFile::ReadOwner | QFile::WriteOwner);
}

TEST(PrivateProfile, AFileFromWindowsIsReadAsCp932AndRewrittenAsUtf8) {
    TempDir dir;
    QStringEncoder cp932("CP932");
    ASSERT_TRUE(cp932.isValid());
    const QString path = QStringLiteral("/home/me/動画①");
    const QByteArray bytes =
        cp932.encode(QStringLiteral("[FilePath]\r\nPath=") + path + QStringLiteral("\r\n"));
    ASSERT_FALSE(bytes.contains(path.toUtf8())); // really not UTF-8
    const QString ini = dir.write("win.ini", bytes);

    EXPECT_EQ(ReadProfileString(ini, "FilePath", "Path", "0"), path);
    ASSERT_TRUE(WriteProfileString(ini, "Boot", "SearchPath", "1"));
    EXPECT_EQ(ReadAll(ini),
              QStringLiteral("[FilePath]\r\nPath=%1\r\n\r\n[Boot]\r\nSearchPath=1\r\n").arg(path).toUtf8());
}

TEST(PrivateProfile, EachFileIsReadInItsOwnEncodingAndLinesNotWrittenKeepTheirBytes) {
    const QString path = QStringLiteral("/home/me/動画");
    const QByteArray utf8 = path.toUtf8();
    const auto utf16 = [](QStringConverter::Encoding e, const char* bom) {
        QStringEncoder encoder(e);
        return QByteArray(bom) +
               QByteArray(encoder.encode(QStringLiteral("[FilePath]\r\nPath=/home/me/動画\r\n")));
    };
    QStringEncoder cp932("CP932");
    const struct {
        const char* name;
        QByteArray file;
        QString path;   // what Path reads
        QByteArray out; // the file after Boot/SearchPath=1 was added
    } cases[] = {
        {"UTF-8 with a stray byte in another line",
         "[FilePath]\nPath=" + utf8 +
             "\n[Note]\nx=a\x93"
             "b\n",
         path,
         "[FilePath]\nPath=" + utf8 +
             "\n[Note]\nx=a\x93"
             "b\n\n[Boot]\nSearchPath=1\n"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF[FilePath]\r\nPath=" + utf8 + "\r\n", path,
         "\xEF\xBB\xBF[FilePath]\r\nPath=" + utf8 + "\r\n\r\n[Boot]\r\nSearchPath=1\r\n"},
        {"UTF-16 little-endian", utf16(QStringConverter::Utf16LE, "\xFF\xFE"), path,
         "[FilePath]\r\nPath=" + utf8 + "\r\n\r\n[Boot]\r\nSearchPath=1\r\n"},
        {"UTF-16 big-endian", utf16(QStringConverter::Utf16BE, "\xFE\xFF"), path,
         "[FilePath]\r\nPath=" + utf8 + "\r\n\r\n[Boot]\r\nSearchPath=1\r\n"},
        // "縺" in CP932 is E3 81, which with the full-width blank after it is valid UTF-8 too.
        {"CP932 holding a valid UTF-8 sequence by chance",
         cp932.encode(QStringLiteral("[FilePath]\nPath=/動画/縺　まとめ\n")),
         QStringLiteral("/動画/縺　まとめ"),
         QStringLiteral("[FilePath]\nPath=/動画/縺　まとめ\n\n[Boot]\nSearchPath=1\n").toUtf8()},
        {"neither UTF-8 nor CP932: bytes kept", "[FilePath]\nPath=/caf\xE9=\n", QStringLiteral("/caf\uFFFD="),
         "[FilePath]\nPath=/caf\xE9=\n\n[Boot]\nSearchPath=1\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString ini = dir.write("a.ini", c.file);
        EXPECT_EQ(ReadProfileString(ini, "FilePath", "Path", "0"), c.path) << c.name;
        ASSERT_TRUE(WriteProfileString(ini, "Boot", "SearchPath", "1")) << c.name;
        EXPECT_EQ(ReadAll(ini).toStdString(), c.out.toStdString()) << c.name;
        EXPECT_EQ(ReadProfileString(ini, "FilePath", "Path", "0"), c.path) << c.name;
    }
}

TEST(PrivateProfile, EveryLineKeepsTheEndItWasFoundWith) {
    const struct {
        const char* name;
        QByteArray file;
        const char* key;
        QByteArray out; // after key=2 was written to Boot
    } cases[] = {
        {"a last line ended by a bare CR", "[Boot]\nA=1\r", "A", "[Boot]\nA=2\r"},
        {"a line added after one", "[Boot]\nA=1\r", "B", "[Boot]\nA=1\rB=2\r"},
        {"mixed ends stay mixed", "[Boot]\r\nA=1\nB=1\r\n", "B", "[Boot]\r\nA=1\nB=2\r\n"},
        {"a file without a final line end", "[Boot]\nA=1", "B", "[Boot]\nA=1\nB=2"},
        {"a doubled CR is kept", "[Boot]\r\r\nA=1\r\r\n", "A", "[Boot]\r\r\nA=2\r\r\n"},
        {"bare CRs separate lines", "[Boot]\rA=1\rB=1", "B", "[Boot]\rA=1\rB=2"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString ini = dir.write("a.ini", c.file);
        EXPECT_EQ(ReadProfileString(ini, "Boot", "A", "0"), "1") << c.name;
        ASSERT_TRUE(WriteProfileString(ini, "Boot", c.key, "2")) << c.name;
        EXPECT_EQ(ReadAll(ini).toStdString(), c.out.toStdString()) << c.name;
    }
}

TEST(PrivateProfile, AValueEndsAtItsFirstNulAndKeepsItsFullWidthBlanks) {
    const struct {
        QByteArray line;
        QString value;
    } cases[] = {
        {QByteArray("v=/home/me\0/.cache", 19), QStringLiteral("/home/me")},
        {QByteArray("v= a b \0c", 10), QStringLiteral("a b ")},
        {"v=\t x \t", QStringLiteral("x")},
        {"v=　全角　", QStringLiteral("　全角　")},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString ini = dir.write("a.ini", "[S]\n" + c.line + "\n");
        EXPECT_EQ(ReadProfileString(ini, "S", "v", "0"), c.value) << c.line.toStdString();
    }
}

TEST(PrivateProfile, OnlyAWritableRegularFileIsEverWritten) {
    const bool root = ::geteuid() == 0;
    const struct {
        const char* name;
        std::function<QString(const TempDir&)> make; // returns the path to write to
        bool written;
        int mode; // the file's mode afterwards (0: not a regular file)
    } cases[] = {
        {"no write bit, even for root",
         [](const TempDir& d) {
             const QString f = d.write("a.ini", "[Boot]\nA=1\n");
             ::chmod(QFile::encodeName(f).constData(), 0444);
             return f;
         },
         false, 0444},
        {"its mode is kept",
         [](const TempDir& d) {
             const QString f = d.write("a.ini", "[Boot]\nA=1\n");
             ::chmod(QFile::encodeName(f).constData(), 0640);
             return f;
         },
         true, 0640},
        {"a FIFO is no settings file and stays a FIFO",
         [](const TempDir& d) {
             ::mkfifo(QFile::encodeName(d.file("a.ini")).constData(), 0644);
             return d.file("a.ini");
         },
         false, 0},
        {"a folder neither", [](const TempDir& d) { return d.mkdir("a.ini"); }, false, 0},
        {"a link: the file it names is replaced",
         [](const TempDir& d) {
             d.write("real/a.ini", "[Boot]\nA=1\n");
             QFile::link(d.file("real/a.ini"), d.file("a.ini"));
             return d.file("a.ini");
         },
         true, 0},
        {"a file that cannot be read",
         [root](const TempDir& d) {
             const QString f = d.write("a.ini", "[Boot]\nA=1\n");
             ::chmod(QFile::encodeName(f).constData(), root ? 0644 : 0200);
             return f;
         },
         root, root ? 0644 : 0200},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString ini = c.make(dir);
        const bool regular = QFileInfo(ini).isFile();
        const QByteArray before = regular ? ReadAll(ini) : QByteArray();
        EXPECT_EQ(ReadProfileString(ini, "Boot", "B", "none"), "none") << c.name; // and no wait
        EXPECT_EQ(WriteProfileString(ini, "Boot", "B", "2"), c.written) << c.name;
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(ini).constData(), &st), 0) << c.name;
        EXPECT_EQ(S_ISREG(st.st_mode), regular) << c.name;
        if (c.mode != 0) {
            EXPECT_EQ(int(st.st_mode & 07777), c.mode) << c.name;
        }
        if (!c.written && regular) {
            EXPECT_EQ(ReadAll(ini), before) << c.name;
        }
        EXPECT_EQ(ReadProfileString(ini, "Boot", "B", "none"), c.written ? "2" : "none") << c.name;
        EXPECT_EQ(QFileInfo(dir.file("a.ini")).isSymLink(), QByteArray(c.name).startsWith("a link"))
            << c.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(".save-"),
                  QStringList())
            << c.name;
    }
    if (root) { // a root run hands the file back to its owner
        TempDir dir;
        const QString ini = dir.write("a.ini", "[Boot]\nA=1\n");
        ASSERT_EQ(::chown(QFile::encodeName(ini).constData(), 4242, 4343), 0);
        ASSERT_TRUE(WriteProfileString(ini, "Boot", "A", "2"));
        struct stat st {};
        ::stat(QFile::encodeName(ini).constData(), &st);
        EXPECT_EQ(QList<uint>({st.st_uid, st.st_gid}), QList<uint>({4242, 4343}));
    }
}

TEST(PrivateProfile, LongValuesComeBackWholeUpTo4095Bytes) {
    TempDir dir;
    const QString ini = dir.file("a.ini");
    const QString kana300 = QString(300, QChar(0x3042)); // 900 bytes in UTF-8
    clsIniFile f(ini);
    ASSERT_TRUE(f.SetValue(kana300, "", "QuickPath", "Path1"));
    EXPECT_EQ(f.GetStrValue("", "QuickPath", "Path1", "0"), kana300);

    // Past the limit the cut falls before the character that straddles it.
    ASSERT_TRUE(
        WriteProfileString(ini, "QuickPath", "Path2", QString(4094, 'a') + QString(3, QChar(0x3042))));
    EXPECT_EQ(ReadProfileString(ini, "QuickPath", "Path2", "0"), QString(4094, 'a'));
    ASSERT_TRUE(WriteProfileString(ini, "QuickPath", "Path3", QString(2000, QChar(0x3042))));
    EXPECT_EQ(ReadProfileString(ini, "QuickPath", "Path3", "0"), QString(1365, QChar(0x3042)));
}

TEST(PrivateProfile, IntegerReadingTakesSignAndLeadingDigits) {
    const struct {
        const char* stored;
        qint32 expected;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"12abc", 12},
        {"True", 0},
        {"", 0},
        {"-", 0},
        {"+5", 0},
        {"3.9", 3},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileIntFromText(QString::fromLatin1(c.stored)), c.expected) << c.stored;

    TempDir dir;
    const QString ini = dir.write("a.ini", "[S]\nn=  12abc  \n");
    EXPECT_EQ(ReadProfileInt(ini, "S", "n", 99), 12);
    EXPECT_EQ(ReadProfileInt(ini, "S", "missing", 99), 99);
    EXPECT_EQ(ReadProfileInt(dir.file("none.ini"), "S", "n", -3), -3);
}

TEST(IniFile, ReadsPassTheDefaultOnlyForAbsentKeys) {
    TempDir dir;
    const QString ini = dir.write("a.ini", "[FilePath]\nPath=\n");
    clsIniFile f(ini);
    f.setSection("FilePath");
    EXPECT_EQ(f.GetStrValue("", "", "Path", "0"), "");
    EXPECT_EQ(f.GetStrValue("", "", "Other", "0"), "0");
    EXPECT_EQ(f.GetStrValue("", "Nope", "Path", "0"), "0");
    EXPECT_EQ(f.GetIntValue("", "", "Other", 0), 0);
}

TEST(IniFile, SetValueWritesEachKindsTextAndCachesIt) {
    const struct {
        IniValue value;
        const char* text;
        qint32 number;
    } cases[] = {
        {true, "True", -1},
        {false, "False", 0},
        {42, "42", 42},
        {-5, "-5", -5},
        {12180.0f, "12180", 12180},
        {0.1f, "0.1", 0},
        {1234.5f, "1234.5", 1234},
        {2.5f, "2.5", 2},
        {1e7f, "10000000", 10000000},
        {-0.0f, "0", 0},
        {"abc", "abc", 0},
        {QStringLiteral(" 17 "), " 17 ", 17},
        {QStringLiteral("動画"), "動画", 0},
    };
    TempDir dir;
    clsIniFile f(dir.file("a.ini"));
    f.setSection("S");
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        ASSERT_TRUE(f.SetValue(c.value, "", "", "k"));
        EXPECT_EQ(f.strValue(), text);
        EXPECT_EQ(f.lngValue(), c.number) << c.text;
        EXPECT_EQ(f.GetStrValue("", "", "k", "0"), text.trimmed());
    }
}

TEST(IniFile, CacheFollowsPathSectionAndKeyLets) {
    TempDir dir;
    const QString missing = dir.file("missing.ini");
    clsIniFile f(missing);
    f.setSection("Boot");
    f.setKey("SearchPath");
    EXPECT_EQ(f.strValue(), "");
    EXPECT_EQ(f.lngValue(), 0);
    EXPECT_FALSE(QFile::exists(missing)); // looking never creates the file

    const QString ini = dir.write("a.ini", "[Boot]\nSearchPath=7x\n[Other]\nSearchPath=9\n");
    f.setPathIniFile(ini);
    EXPECT_EQ(f.strValue(), "7x");
    EXPECT_EQ(f.lngValue(), 7);
    f.setSection("other");
    EXPECT_EQ(f.strValue(), "9");
    f.setKey("");
    EXPECT_EQ(f.strValue(), "");

    // Lets of the cached values write to the current file, section and key.
    f.setKey("SearchPath");
    f.setStrValue("3");
    EXPECT_EQ(ReadProfileString(ini, "Other", "SearchPath", ""), "3");
    EXPECT_EQ(f.lngValue(), 3);
    f.setLngValue(-12);
    EXPECT_EQ(ReadProfileString(ini, "Other", "SearchPath", ""), "-12");
    f.setValue(true);
    EXPECT_EQ(f.GetStrValue("", "", "", ""), "True");
    EXPECT_EQ(f.lngValue(), -1);

    // Empty arguments stand for the current values; others go where they say.
    EXPECT_EQ(f.GetStrValue("", "Boot", "", "0"), "7x");
    EXPECT_EQ(f.section(), "other");
    EXPECT_TRUE(f.DeleteKey("", "", ""));
    EXPECT_EQ(f.strValue(), "");
    EXPECT_EQ(f.lngValue(), 0);
    EXPECT_EQ(f.GetStrValue("", "", "", "gone"), "gone");
    EXPECT_TRUE(f.DeleteSection("", "BOOT"));
    EXPECT_EQ(ReadAll(ini), "[Other]\n");
}

TEST(IniFile, AFailedWriteIsReportedAsFalse) {
    TempDir dir;
    clsIniFile f(dir.file("a.ini"));
    EXPECT_FALSE(f.SetValue(1, "", "", "k")); // no section: nowhere to write
    EXPECT_FALSE(f.SetValue(1, "", "S", ""));
    EXPECT_FALSE(f.SetValue(99999999999.0f, "", "S", "big")); // written, but no 32-bit reading
    EXPECT_EQ(f.GetStrValue("", "S", "big", "0"), "99999997952");
    if (::geteuid() != 0) { // root writes anywhere
        const QString locked = dir.mkdir("locked");
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(f.SetValue(1, locked + "/a.ini", "S", "k"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(IniFile, TheFileLivesBesideTheProgramWhenThatFolderIsWritable) {
    TempDir dir;
    EXPECT_EQ(IniPathFor(dir.path()), dir.path() + "/TobimaruMe.ini");
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           "/TobimaruMe/TobimaruMe.ini";
    EXPECT_EQ(IniPathFor(dir.file("no-such-folder")), config);
    if (::geteuid() != 0) {
        const QString locked = dir.mkdir("locked");
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(IniPathFor(locked), config);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_EQ(clsIniFile().pathIniFile(), IniPathFor(QCoreApplication::applicationDirPath()));
}

TEST(IniFile, AnInstalledProgramKeepsItsSettingsInTheUsersConfigFolder) {
    // Root can write into /usr/bin and a user into ~/.local/bin: neither is a portable copy.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           "/TobimaruMe/TobimaruMe.ini";
    const QString ownEntry = QStringLiteral("share/applications/" TOBIMARU_APP_ID ".desktop");
    const struct {
        const char* name;
        QStringList files; // under the temporary folder
        QString bin;
        bool beside;
    } cases[] = {
        {"portable copy", {"copy/TobimaruMe"}, "copy", true},
        {"installed under a prefix", {"usr/bin/TobimaruMe", "usr/" + ownEntry}, "usr/bin", false},
        {"a prefix of other programs only",
         {"opt/bin/TobimaruMe", "opt/share/applications/other.desktop"},
         "opt/bin",
         true},
        {"a build folder beside a source tree",
         {"src/build/TobimaruMe", "src/data/" TOBIMARU_APP_ID ".desktop"},
         "src/build",
         true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const QString& f : c.files)
            dir.write(f);
        const QString bin = dir.file(c.bin);
        EXPECT_EQ(IniPathFor(bin), c.beside ? bin + "/TobimaruMe.ini" : config) << c.name;
    }
}

TEST(SettingsConvert, TextToInt16) {
    const struct {
        const char* text;
        int expected;
        int code = 0;
    } cases[] = {
        {"12", 12},
        {"  -12\t", -12},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"1e3", 1000},
        {"+7", 7},
        {"32767", 32767},
        {"-32768", -32768},
        {"32768", 0, ErrorNumber(ErrorCode::Overflow)},
        {"32767.5", 0, ErrorNumber(ErrorCode::Overflow)},
        {"-32769", 0, ErrorNumber(ErrorCode::Overflow)},
        {"1e999", 0, ErrorNumber(ErrorCode::Overflow)},
        {"", 0, ErrorNumber(ErrorCode::TypeMismatch)},
        {"  ", 0, ErrorNumber(ErrorCode::TypeMismatch)},
        {"abc", 0, ErrorNumber(ErrorCode::TypeMismatch)},
        {"12abc", 0, ErrorNumber(ErrorCode::TypeMismatch)},
        {"True", 0, ErrorNumber(ErrorCode::TypeMismatch)},
    };
    for (const auto& c : cases) {
        int16_t got = 0;
        EXPECT_EQ(CodeOf([&] { got = ToInt16(QString::fromLatin1(c.text)); }), c.code) << c.text;
        EXPECT_EQ(got, c.expected) << c.text;
    }
    EXPECT_EQ(CodeOf([] { NarrowToInt16(40000); }), ErrorNumber(ErrorCode::Overflow));
    EXPECT_EQ(NarrowToInt16(-32768), -32768);
}

TEST(SettingsConvert, TextToBooleanAndSingle) {
    const struct {
        const char* text;
        int expected; // 1 true, 0 false, otherwise the failure code
    } cases[] = {
        {"True", 1},
        {"false", 0},
        {"TRUE", 1},
        {" False ", 0},
        {"0", 0},
        {"-1", 1},
        {"2.5", 1},
        {"0.0", 0},
        {"yes", ErrorNumber(ErrorCode::TypeMismatch)},
        {"", ErrorNumber(ErrorCode::TypeMismatch)},
    };
    for (const auto& c : cases) {
        bool got = false;
        const int code = CodeOf([&] { got = ToBoolean(QString::fromLatin1(c.text)); });
        if (c.expected > 1)
            EXPECT_EQ(code, c.expected) << c.text;
        else
            EXPECT_EQ(int(got), c.expected) << c.text;
    }
    EXPECT_FLOAT_EQ(ToSingle(" 4512.5 "), 4512.5f);
    EXPECT_EQ(CodeOf([] { ToSingle("1e39"); }), ErrorNumber(ErrorCode::Overflow));
    EXPECT_EQ(CodeOf([] { ToSingle("wide"); }), ErrorNumber(ErrorCode::TypeMismatch));
}
