#include "archives/Archiver.h"
#include "archives/ArchiverCommandLine.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <thread>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::FolderSnapshot;
using test::Utf8ZipFile;
using test::WindowsZipFile;
using test::ZipEntry;
using test::ZipFile;
using Snapshot = QMap<QString, QByteArray>;

class Archiver : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ArchiveMaker::pythonAvailable() || !ArchiveMaker::zipAvailable())
            GTEST_SKIP() << "python3 and zip make the test archives (scripts/packages.txt installs them)";
        m_plain = ArchiveMaker::zip(m_tmp.file("plain.zip"), {{"a.txt", "alpha"}, {"b/c.txt", "gamma"}});
        m_encrypted = ArchiveMaker::encryptedZip(m_tmp.file("secret.zip"), "pw",
                                                 {{"s1.txt", "one"}, {"s2.txt", "two"}});
    }
    test::TempDir m_tmp;
    QString m_plain;
    QString m_encrypted;
};

TEST_F(Archiver, TellsSoundArchivesFromBrokenOnes) {
    ZipEntry stored{"s.txt", QByteArray(1000, 's')};
    stored.stored = true;
    const QString badCrc = ArchiveMaker::zip(m_tmp.file("crc.zip"), {stored});
    ArchiveMaker::corrupt(badCrc, ArchiveMaker::read(badCrc).indexOf("sss") + 100, 4);
    const QString cut = ArchiveMaker::copy(m_plain, m_tmp.file("cut.zip"));
    ArchiveMaker::truncate(cut, QFileInfo(cut).size() - 10);
    struct Row {
        const char* what;
        QString path;
        int mode;
        bool sound;
    };
    const Row rows[] = {
        {"a sound one", m_plain, 2, true},
        {"a bad checksum, data read", badCrc, 2, false},
        {"a bad checksum, headers only", badCrc, 0, true},
        // The entries all read well from the front; only the end says the file was cut.
        {"its end cut off", cut, 2, false},
        {"no entries", ArchiveMaker::zip(m_tmp.file("empty.zip"), {}), 2, false},
        {"no archive", m_tmp.write("text.zip", "plain text, no archive"), 2, false},
        {"no file", m_tmp.file("none.zip"), 2, false},
        // Its data cannot be read without the password; the headers are sound.
        {"encrypted", m_encrypted, 2, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(UnZipCheckArchive(r.path, r.mode), r.sound) << r.what;
        EXPECT_FALSE(UnlhaCheckArchive(r.path, r.mode)) << r.what << " (a ZIP is no LZH)";
    }
}

TEST_F(Archiver, FirstEntryStateAndLibraries) {
    EXPECT_EQ(ZipFirstEntryState(m_plain), 0);
    EXPECT_EQ(ZipFirstEntryState(m_encrypted), 1);
    EXPECT_EQ(ZipFirstEntryState(ArchiveMaker::zip(m_tmp.file("empty.zip"), {})), -1);
    EXPECT_EQ(ZipFirstEntryState(m_tmp.write("text.zip", "no archive")), -1);
    EXPECT_EQ(ZipFirstEntryState(m_tmp.file("none.zip")), -1);

    UnZipHandle handle = UnZipOpenArchive(m_plain, 0);
    ASSERT_TRUE(handle);
    EXPECT_EQ(UnZipFindFirst(handle.get(), "C.TXT"), 0); // case is ignored, folders are not matched
    EXPECT_EQ(UnZipGetAttribute(handle.get()) & 0x50, 0);
    EXPECT_EQ(UnZipFindFirst(handle.get(), "*.mpg"), -1);
    EXPECT_EQ(UnZipGetAttribute(handle.get()), -1);
    UnZipCloseArchive(std::move(handle));

    EXPECT_TRUE(FindLibrary("UnZip32.DLL"));
    EXPECT_TRUE(FindLibrary("UNLHA32.dll"));
    EXPECT_FALSE(FindLibrary("Unrar.dll"));
}

TEST_F(Archiver, AsksForThePasswordOnceBeforeWritingAnything) {
    struct Row {
        const char* what;
        std::optional<QString> answer;
        bool callback;
        int code;
    };
    const Row rows[] = {
        {"the right password", QString("pw"), true, 0},
        {"a wrong password", QString("wrong"), true, 0x800A},
        {"cancelled", std::nullopt, true, 0x800A},
        {"nobody to ask", std::nullopt, false, 0x800A},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        test::TempDir dest;
        QStringList asked;
        ExtractCallbacks callbacks;
        if (r.callback) {
            callbacks.password = [&](const QString& archive) {
                asked << archive;
                EXPECT_TRUE(FolderSnapshot(dest.path()).isEmpty()) << "asked after writing";
                return r.answer;
            };
        }
        EXPECT_EQ(
            ArchiverNumber(UnZip(ZipCommandLine("-x -s -V -i -C", m_encrypted, dest.path()), callbacks)),
            r.code);
        EXPECT_EQ(asked, r.callback ? QStringList{m_encrypted} : QStringList{});
        const Snapshot extracted{{"s1.txt", "one"}, {"s2.txt", "two"}};
        EXPECT_EQ(FolderSnapshot(dest.path()), r.code ? Snapshot() : extracted);
    }
}

TEST_F(Archiver, CommandLinesReachTheExtraction) {
    const QString dest = m_tmp.mkdir("my files.d/展開 先");
    EXPECT_EQ(ArchiverNumber(UnZip(ZipCommandLine("-x -s -V -i -C", m_plain, dest))), 0);
    EXPECT_EQ(FolderSnapshot(dest), Snapshot({{"a.txt", "alpha"}, {"b", "<dir>"}, {"b/c.txt", "gamma"}}));
    const QString other = m_tmp.mkdir("other");
    EXPECT_EQ(ArchiverNumber(UnZip("-x -q " + m_plain + " " + other + "/ ")), 0x801C);
    EXPECT_EQ(ArchiverNumber(Unlha(LzhCommandLine("e", "-x1m1", m_plain, other))), 0x801B);
    EXPECT_EQ(ArchiverNumber(UnZip(ZipCommandLine("-x", m_plain, m_tmp.file("missing")))), 0x8012);
    EXPECT_TRUE(FolderSnapshot(other).isEmpty());
}

TEST_F(Archiver, JapaneseNamesWhateverTheCallersLocale) {
    const QString archive = ArchiveMaker::zip(
        m_tmp.file("jp.zip"), {{ArchiveMaker::cp932("動画/予定表.txt"), "y", ZipEntry::File, false, true}});
    std::vector<std::thread> threads;
    std::vector<ArchiverCode> codes(4, ArchiverCode{-1});
    std::vector<QString> dests;
    for (int i = 0; i < 4; ++i)
        dests.push_back(m_tmp.mkdir("t" + QString::number(i)));
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            // A thread under the C locale, as a program started without LANG has.
            const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
            uselocale(c);
            codes[i] = UnZip(ZipCommandLine("-x", archive, dests[i]));
            uselocale(LC_GLOBAL_LOCALE);
            freelocale(c);
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(codes[i], ArchiverCode::Ok);
        EXPECT_EQ(FolderSnapshot(dests[i]), Snapshot({{"動画", "<dir>"}, {"動画/予定表.txt", "y"}}));
    }
}

/// The content of the file at the path bytes, "<none>" when it cannot be read: names that are
/// not UTF-8 are looked up by their bytes, which Qt's own file names cannot carry.
QByteArray ReadByName(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<none>";
    QByteArray out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fd);
    return out;
}

/// The names directly in a folder, as bytes, sorted.
QList<QByteArray> NamesIn(const QString& folder) {
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* e = ::readdir(dir)) {
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(Archiver, EntryNamesAreReadAsTheToolThatWroteThemMeantThem) {
    const QByteArray oldName = ArchiveMaker::cp932("旧名.txt");
    ZipEntry unicodeFits = WindowsZipFile(oldName, "u");
    unicodeFits.unicodePath = QString("新名.txt").toUtf8();
    ZipEntry unicodeStale = unicodeFits;
    unicodeStale.unicodeCrcWrong = true;
    struct Row {
        const char* what;
        std::function<QString(const QString& path)> make;
        QByteArray top;  ///< the one name made in the destination
        QByteArray file; ///< the file's path below it, as bytes
        QByteArray content;
    };
    const Row rows[] = {
        {"UTF-8 with the flag",
         [](const QString& p) { return ArchiveMaker::zip(p, {Utf8ZipFile("写真集/一.txt", "1")}); }, "写真集",
         "写真集/一.txt", "1"},
        {"UTF-8 without the flag, by zip -r",
         [](const QString& p) {
             return ArchiveMaker::infoZip(p, {{"写真集/一.txt", "1"}});
         },
         "写真集", "写真集/一.txt", "1"},
        {"CP932 from Windows",
         [](const QString& p) {
             return ArchiveMaker::zip(p, {WindowsZipFile(ArchiveMaker::cp932("予定表.txt"), "y")});
         },
         "予定表.txt", "予定表.txt", "y"},
        {"a Unicode Path field for the stored name",
         [&](const QString& p) { return ArchiveMaker::zip(p, {unicodeFits}); }, "新名.txt", "新名.txt", "u"},
        // Its CRC is that of another name: a tool renamed the entry and left the field behind.
        {"a Unicode Path field left from another name",
         [&](const QString& p) { return ArchiveMaker::zip(p, {unicodeStale}); }, "旧名.txt", "旧名.txt", "u"},
        {"bytes that are neither UTF-8 nor CP932",
         [](const QString& p) { return ArchiveMaker::zip(p, {ZipFile("bad\xff\xfe.txt", "b")}); },
         "bad\xff\xfe.txt", "bad\xff\xfe.txt", "b"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const QString archive = r.make(m_tmp.file("names.zip"));
        EXPECT_TRUE(UnZipCheckArchive(archive, 2));
        EXPECT_EQ(ZipFirstEntryState(archive), 0);
        test::TempDir dest;
        ExtractFailure message;
        EXPECT_EQ(ArchiverNumber(UnZip(ZipCommandLine("-x -s -V -i -C", archive, dest.path()), {}, &message)),
                  0)
            << message.log.toStdString();
        EXPECT_EQ(NamesIn(dest.path()), QList<QByteArray>{r.top});
        EXPECT_EQ(ReadByName(QFile::encodeName(dest.path()) + "/" + r.file), r.content);
        QFile::remove(archive);
    }
}

TEST_F(Archiver, LzhFromJapaneseWindows) {
    if (!ArchiveMaker::lzhAvailable())
        GTEST_SKIP() << "jlha (jlha-utils, default-jre-headless) and the ja_JP.UTF-8 locale make the LZH "
                        "archives: run scripts/install-deps.sh";
    const QByteArray big(40000, 'b');
    const QString archive = ArchiveMaker::lzh(
        m_tmp.file("jp.lzh"), {{"動画/予定表.txt", "yotei"}, {"ソフト.txt", big}, {"a.txt", "a"}});
    // The test is only worth its name if the names really are stored in CP932.
    ASSERT_TRUE(ArchiveMaker::read(archive).contains(ArchiveMaker::cp932("予定表.txt")));
    EXPECT_TRUE(UnlhaCheckArchive(archive, 2));
    EXPECT_FALSE(UnZipCheckArchive(archive, 2));

    const QString dest = m_tmp.mkdir("lzh out");
    EXPECT_EQ(ArchiverNumber(Unlha(LzhCommandLine("e", "-x1m1", archive, dest))), 0);
    EXPECT_EQ(
        FolderSnapshot(dest),
        Snapshot({{"a.txt", "a"}, {"ソフト.txt", big}, {"動画", "<dir>"}, {"動画/予定表.txt", "yotei"}}));

    const QByteArray bytes = ArchiveMaker::read(archive);
    const qsizetype second = bytes.indexOf("-lh", bytes.indexOf("-lh") + 1) - 2;
    const qsizetype name = bytes.indexOf(ArchiveMaker::cp932("予定表.txt"));
    struct Row {
        const char* what;
        std::function<void(const QString&)> damage;
        int code;
    };
    const Row rows[] = {
        {"cut short", [&](const QString& p) { ArchiveMaker::truncate(p, bytes.size() * 2 / 3); }, 0x801A},
        {"a damaged header", [&](const QString& p) { ArchiveMaker::corrupt(p, second + 24, 3); }, 0x8017},
        {"a header that fails its checksum", [&](const QString& p) { ArchiveMaker::corrupt(p, name + 8, 1); },
         0x8016},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const QString copy = ArchiveMaker::copy(archive, m_tmp.file("damaged.lzh"));
        r.damage(copy);
        test::TempDir out;
        EXPECT_FALSE(UnlhaCheckArchive(copy, 2));
        ExtractFailure message;
        EXPECT_EQ(ArchiverNumber(Unlha(LzhCommandLine("e", "-x1m1", copy, out.path()), {}, &message)), r.code)
            << message.log.toStdString();
        EXPECT_TRUE(FolderSnapshot(out.path()).isEmpty());
    }
}

} // namespace
} // namespace tobimaru
