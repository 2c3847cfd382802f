// The desktop's trash under a temporary data folder, and a tmpfs volume with a trash of its own.
#include "platform/Trash.h"
#include "base/FileNames.h"
#include "base/UniqueFd.h"
#include "platform/RemoveTree.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"
#include "support/TrashHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru::test {
namespace {

QString VolumeTrash(const QString& volume) {
    return volume + QStringLiteral("/.Trash-%1").arg(::geteuid());
}

// Names that are not UTF-8 are checked by their bytes: Qt's own file calls would lose them.
QByteArray ReadBytes(const QByteArray& path) {
    const UniqueFd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    QByteArray out;
    char buffer[4096];
    ssize_t n = 0;
    while (fd.valid() && (n = ::read(fd.get(), buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    return out;
}

bool Exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

/// The value of `key` in the info file of the name `name` in `trash`, as written.
QByteArray InfoValue(const QString& trash, const QByteArray& name, const QByteArray& key) {
    const QByteArray text = ReadBytes(EncodeFileName(trash) + "/info/" + name + ".trashinfo");
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    }
    return {};
}

/// Puts an environment variable back, and the current folder, when the test ends.
class Restore final {
public:
    Restore()
        : m_home(qgetenv("HOME"))
        , m_cwd(QDir::currentPath()) {}
    ~Restore() {
        qputenv("HOME", m_home);
        QDir::setCurrent(m_cwd);
    }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    QByteArray m_home;
    QString m_cwd;
};

TEST(Trash, AnEntryGoesToTheHomeTrashWithWhereItCameFrom) {
    TrashHome home;
    TempDir dir;
    DesktopTrash trash;
    const QString file = dir.write("clip.avi", "x");
    const QString folder = dir.mkdir("album");
    dir.write("album/a.jpg", "a");
    QString reason;
    for (const QString& path : {file, folder})
        EXPECT_TRUE(trash.moveToTrash(path, &reason)) << reason.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(QFile::exists(folder));
    EXPECT_EQ(home.files(), QStringList({"album", "clip.avi"}));
    EXPECT_EQ(home.originalPath("clip.avi"), file);
    EXPECT_EQ(ArchiveMaker::read(home.trash() + "/files/album/a.jpg"), "a");
    EXPECT_TRUE(trash.trashFolders().contains(home.trash()));
}

TEST(Trash, AMissingDataFolderIsMadeRatherThanATrashInTheCurrentFolder) {
    TrashHome home;
    TempDir dir;
    DesktopTrash trash;
    // Qt 6.4 alone would file the entry below the current folder and call it done.
    const QString deeper = dir.file("not/yet/there");
    qputenv("XDG_DATA_HOME", QFile::encodeName(deeper));
    const QString file = dir.write("a.txt", "a");
    QString reason;
    EXPECT_TRUE(trash.moveToTrash(file, &reason)) << reason.toStdString();
    EXPECT_TRUE(QFile::exists(deeper + "/Trash/files/a.txt"));
    EXPECT_FALSE(QFile::exists("files/a.txt"));
}

TEST(Trash, AVolumeKeepsItsOwnTrashAndAnEntryThatCannotGoThereStays) {
    SmallDisk disk(1 << 20);
    if (!disk.mounted())
        GTEST_SKIP() << "a tmpfs stands for another volume (run as root): " << disk.error().toStdString();
    TrashHome home;
    DesktopTrash trash;
    QString reason;
    const QString file = disk.path() + "/on-volume.txt";
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(trash.moveToTrash(file, &reason)) << reason.toStdString();
    EXPECT_EQ(VolumeTrashFiles(disk.path()), QStringList{"on-volume.txt"});
    EXPECT_TRUE(trash.trashFolders().contains(VolumeTrash(disk.path())));

    // No trash can be made on the volume (its name is taken by a file), and the home trash is
    // on another file system: the entry stays.
    ASSERT_TRUE(RemoveTree(VolumeTrash(disk.path())));
    QFile(VolumeTrash(disk.path())).open(QIODevice::WriteOnly);
    const QString stays = disk.path() + "/stays.txt";
    QFile(stays).open(QIODevice::WriteOnly);
    EXPECT_FALSE(trash.moveToTrash(stays, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(QFile::exists(stays));
    EXPECT_TRUE(NoTrash().trashFolders().isEmpty());
    EXPECT_FALSE(NoTrash().moveToTrash(stays, &reason));
    EXPECT_TRUE(QFile::exists(stays));
}

TEST(Trash, EmptyingRemovesALinkInsideWithoutFollowingIt) {
    TrashHome home;
    TempDir outside;
    const QString precious = outside.write("precious/keep.txt", "keep");
    const QString files = home.trash() + "/files";
    QDir().mkpath(files + "/old/locked");
    QDir().mkpath(home.trash() + "/info");
    QFile(home.trash() + "/info/old.trashinfo").open(QIODevice::WriteOnly);
    QFile(home.trash() + "/directorysizes").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(outside.file("precious"), files + "/link-to-folder"));
    ASSERT_TRUE(QFile::link(precious, files + "/old/link-to-file"));
    QFile(files + "/old/locked/a.txt").open(QIODevice::WriteOnly);
    ::chmod(QFile::encodeName(files + "/old/locked").constData(), 0500);

    QStringList failures;
    EXPECT_TRUE(EmptyTrashFolders(DesktopTrash().trashFolders(), nullptr, &failures))
        << failures.join("; ").toStdString();
    EXPECT_TRUE(home.files().isEmpty());
    EXPECT_TRUE(QDir(home.trash() + "/info").isEmpty());
    EXPECT_FALSE(QFile::exists(home.trash() + "/directorysizes"));
    EXPECT_TRUE(QDir(files).exists()) << "the trash itself stays";
    EXPECT_EQ(FolderSnapshot(outside.path()),
              (QMap<QString, QByteArray>{{"precious", "<dir>"}, {"precious/keep.txt", "keep"}}));
}

TEST(Trash, NamesThatAreNotUtf8GoAndKeepTheirBytes) {
    struct Row {
        const char* what;
        QByteArray name;
        bool folder;
    };
    const Row rows[] = {
        {"Latin-1 file", "caf\xe9 cr\xe8me.txt", false},
        {"CP932 file", "\x83\x65\x83\x58\x83\x67.mp4", false},
        {"Latin-1 folder", "\xc9t\xe9", true},
        {"CP932 folder", "\x93\xfa\x96\x7b\x8c\xea", true},
    };
    TrashHome home;
    TempDir dir;
    DesktopTrash trash;
    const QByteArray files = EncodeFileName(home.trash()) + "/files/";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QString path;
        if (row.folder) {
            path = dir.mkdirBytes(row.name);
            dir.writeBytes(row.name + "/inner.txt", row.name);
        } else {
            path = dir.writeBytes(row.name, row.name);
        }
        QString reason;
        EXPECT_TRUE(trash.moveToTrash(path, &reason)) << reason.toStdString();
        EXPECT_FALSE(Exists(EncodeFileName(path)));
        EXPECT_EQ(ReadBytes(files + row.name + (row.folder ? "/inner.txt" : "")), row.name);
        EXPECT_EQ(QByteArray::fromPercentEncoding(InfoValue(home.trash(), row.name, "Path")),
                  EncodeFileName(path));
    }
}

TEST(Trash, TheInfoFileEscapesThePathAndDatesInLocalTime) {
    TrashHome home;
    TempDir dir;
    const QString path = dir.write("a b/my clip 日本語 100%.avi", "x");
    QString reason;
    ASSERT_TRUE(DesktopTrash().moveToTrash(path, &reason)) << reason.toStdString();

    const QByteArray name = QByteArray("my clip 日本語 100%.avi");
    const QByteArray text = ReadBytes(EncodeFileName(home.trash()) + "/info/" + name + ".trashinfo");
    EXPECT_TRUE(text.startsWith("[Trash Info]\n")) << text.toStdString();
    const QByteArray escaped = InfoValue(home.trash(), name, "Path");
    EXPECT_EQ(escaped, dir.path().toUtf8() + "/a%20b/my%20clip%20%E6%97%A5%E6%9C%AC%E8%AA%9E%20100%25.avi");
    EXPECT_EQ(QByteArray::fromPercentEncoding(escaped), path.toUtf8());

    const QString date = QString::fromLatin1(InfoValue(home.trash(), name, "DeletionDate"));
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$").match(date).hasMatch())
        << date.toStdString();
    const QDateTime when = QDateTime::fromString(date, Qt::ISODate);
    EXPECT_LE(qAbs(when.secsTo(QDateTime::currentDateTime())), 120) << date.toStdString();
}

TEST(Trash, ANameTakenInTheTrashGivesTheNextFreeOneAndLosesNothing) {
    TrashHome home;
    TempDir dir;
    DesktopTrash trash;
    // Left behind by some other program: a file without its info, an info without its file.
    dir.write("../data/Trash/files/b.txt", "orphan");
    QDir().mkpath(home.trash() + "/files");
    QDir().mkpath(home.trash() + "/info");
    ASSERT_TRUE(QFile::rename(dir.file("../data/Trash/files/b.txt"), home.trash() + "/files/b.txt"));
    QFile(home.trash() + "/info/c.txt.trashinfo").open(QIODevice::WriteOnly);

    const QStringList sources = {dir.write("1/a.txt", "one"), dir.write("2/a.txt", "two"),
                                 dir.write("3/a.txt", "three"), dir.write("b.txt", "b"),
                                 dir.write("c.txt", "c")};
    QString reason;
    for (const QString& path : sources)
        EXPECT_TRUE(trash.moveToTrash(path, &reason)) << reason.toStdString();
    EXPECT_EQ(home.files(), QStringList({"a.txt", "a.txt.2", "a.txt.3", "b.txt", "b.txt.2", "c.txt.2"}));
    const QString files = home.trash() + "/files/";
    EXPECT_EQ(ArchiveMaker::read(files + "a.txt"), "one");
    EXPECT_EQ(ArchiveMaker::read(files + "a.txt.2"), "two");
    EXPECT_EQ(ArchiveMaker::read(files + "a.txt.3"), "three");
    EXPECT_EQ(ArchiveMaker::read(files + "b.txt"), "orphan");
    EXPECT_EQ(home.originalPath("a.txt.2"), sources[1]);
    EXPECT_EQ(home.originalPath("b.txt.2"), sources[3]);
    EXPECT_EQ(home.originalPath("c.txt.2"), sources[4]);
}

TEST(Trash, TheHomeTrashIsMadeWhereTheDataFolderIsAndNeverInTheCurrentFolder) {
    struct Row {
        const char* what;
        const char* dataHome; // relative to the test's folder; nullptr leaves XDG_DATA_HOME unset
        bool absolute;
        const char* trash;
    };
    const Row rows[] = {
        {"no XDG_DATA_HOME: ~/.local/share", nullptr, false, "home/.local/share/Trash"},
        {"a relative XDG_DATA_HOME is ignored", "rel/data", false, "home/.local/share/Trash"},
        {"missing folders on the way are made", "deep/er/data", true, "deep/er/data/Trash"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TrashHome home;
        const Restore restore;
        TempDir dir;
        qputenv("HOME", QFile::encodeName(dir.mkdir("home")));
        ASSERT_TRUE(QDir::setCurrent(dir.mkdir("cwd")));
        if (!row.dataHome)
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME",
                    row.absolute ? QFile::encodeName(dir.file(row.dataHome)) : QByteArray(row.dataHome));
        const QString file = dir.write("a.txt", "a");
        QString reason;
        EXPECT_TRUE(DesktopTrash().moveToTrash(file, &reason)) << reason.toStdString();
        EXPECT_EQ(ArchiveMaker::read(dir.file(row.trash) + "/files/a.txt"), "a");
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(dir.file(row.trash)).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(QDir(dir.file("cwd")).isEmpty()) << "nothing lands in the current folder";
    }
}

TEST(Trash, AHomeTrashThatIsALinkOrNoFolderIsRefusedAndTheEntryStays) {
    using Plant = std::function<void(const QString& trash, const QString& elsewhere)>;
    const auto link = [](const QString& target, const QString& at) { ASSERT_TRUE(QFile::link(target, at)); };
    struct Row {
        const char* what;
        Plant plant;
        const char* why;
        bool listed; ///< still offered for emptying, which must refuse the link inside aloud
    };
    const Row rows[] = {
        {"Trash a link", [&](const QString& t, const QString& e) { link(e, t); }, "シンボリックリンク",
         false},
        {"Trash a file", [](const QString& t, const QString&) { QFile(t).open(QIODevice::WriteOnly); },
         "フォルダではない", false},
        {"files a link",
         [&](const QString& t, const QString& e) {
             QDir().mkpath(t + "/info");
             link(e, t + "/files");
         },
         "シンボリックリンク", true},
        {"info a link",
         [&](const QString& t, const QString& e) {
             QDir().mkpath(t + "/files");
             link(e, t + "/info");
         },
         "シンボリックリンク", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TrashHome home;
        TempDir dir;
        const QString elsewhere = dir.mkdir("elsewhere");
        dir.write("elsewhere/precious.txt", "precious");
        row.plant(home.trash(), elsewhere);
        const QString file = dir.write("keep.txt", "keep");
        QString reason;
        DesktopTrash trash;
        EXPECT_FALSE(trash.moveToTrash(file, &reason));
        EXPECT_TRUE(reason.contains(QString::fromUtf8(row.why))) << reason.toStdString();
        EXPECT_EQ(ArchiveMaker::read(file), "keep");
        const QStringList listed = trash.trashFolders();
        EXPECT_EQ(listed.contains(home.trash()), row.listed);
        QStringList failures;
        EXPECT_EQ(EmptyTrashFolders(listed, nullptr, &failures), !row.listed)
            << failures.join("; ").toStdString();
        EXPECT_EQ(FolderSnapshot(elsewhere), (QMap<QString, QByteArray>{{"precious.txt", "precious"}}));
    }
}

TEST(Trash, TheFolderHoldingTheTrashCannotGoIntoIt) {
    TrashHome home;
    QString reason;
    QDir().mkpath(home.trash() + "/files");
    EXPECT_FALSE(DesktopTrash().moveToTrash(home.dataHome(), &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("ごみ箱を含む"))) << reason.toStdString();
    EXPECT_TRUE(QDir(home.trash() + "/files").exists());
}

// Each row is a fresh volume: what is planted at its top, and which trash takes a file of it.
TEST(Trash, AVolumesTrashIsUsedOnlyWhenItIsARealFolderOfTheUsers) {
    const QString uid = QString::number(::geteuid());
    const QString own = ".Trash-" + uid;
    const QString shared = ".Trash/" + uid;
    using Plant = std::function<void(const QString& volume, const QString& elsewhere)>;
    const auto made = [](const QString& path, mode_t mode, uid_t owner) {
        ASSERT_TRUE(QDir().mkpath(path));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), owner, gid_t(-1)), 0);
    };
    const uid_t me = ::geteuid();
    const uid_t other = me + 4321;
    struct Row {
        const char* what;
        Plant plant;
        QString into; ///< the trash folder that takes it, "" when it stays
        const char* why;
    };
    const Row rows[] = {
        {"nothing there: .Trash-uid is made", {}, own, ""},
        {"a sticky .Trash: .Trash/uid is made",
         [&](const QString& v, const QString&) { made(v + "/.Trash", 01777, 0); }, shared, ""},
        {".Trash without the sticky bit is passed over",
         [&](const QString& v, const QString&) { made(v + "/.Trash", 0777, 0); }, own, ""},
        {".Trash a link to a sticky folder is passed over",
         [&](const QString& v, const QString& e) {
             made(e, 01777, 0);
             ASSERT_TRUE(QFile::link(e, v + "/.Trash"));
         },
         own, ""},
        {".Trash/uid of another user is passed over",
         [&](const QString& v, const QString&) {
             made(v + "/.Trash", 01777, 0);
             made(v + "/" + shared, 0700, other);
         },
         own, ""},
        {"a planted .Trash-uid link is refused",
         [&](const QString& v, const QString& e) { ASSERT_TRUE(QFile::link(e, v + "/" + own)); }, "",
         "シンボリックリンク"},
        {".Trash-uid open to others is refused",
         [&](const QString& v, const QString&) { made(v + "/" + own, 0755, me); }, "", "アクセス権 755"},
        {".Trash-uid of another user is refused",
         [&](const QString& v, const QString&) { made(v + "/" + own, 0700, other); }, "", "別のユーザー"},
    };
    TrashHome home;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SmallDisk disk(1 << 20);
        if (!disk.mounted())
            GTEST_SKIP() << "a tmpfs stands for another volume (run as root): " << disk.error().toStdString();
        TempDir outside;
        const QString elsewhere = outside.mkdir("elsewhere");
        if (row.plant)
            row.plant(disk.path(), elsewhere);
        QDir().mkpath(disk.path() + "/sub");
        const QString file = disk.path() + "/sub/clip.avi";
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("clip") == 4);
        f.close();

        DesktopTrash trash;
        QString reason;
        const bool went = trash.moveToTrash(file, &reason);
        const QStringList listed = trash.trashFolders();
        if (row.into.isEmpty()) {
            EXPECT_FALSE(went);
            EXPECT_TRUE(reason.contains(QString::fromUtf8(row.why))) << reason.toStdString();
            EXPECT_EQ(ArchiveMaker::read(file), "clip");
            EXPECT_FALSE(listed.contains(VolumeTrash(disk.path())));
        } else {
            const QString into = disk.path() + "/" + row.into;
            EXPECT_TRUE(went) << reason.toStdString();
            EXPECT_EQ(ArchiveMaker::read(into + "/files/clip.avi"), "clip");
            EXPECT_EQ(InfoValue(into, "clip.avi", "Path"), "sub/clip.avi") << "relative to the volume's top";
            struct stat st {};
            ASSERT_EQ(::lstat(QFile::encodeName(into).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            EXPECT_TRUE(listed.contains(into));
            EXPECT_EQ(listed.contains(disk.path() + "/" + shared), row.into == shared);
        }
        EXPECT_TRUE(QDir(elsewhere).isEmpty()) << "nothing goes through a link";
        EXPECT_TRUE(QDir(home.trash() + "/files").isEmpty()) << "nothing is copied to another volume";
    }
}

} // namespace
} // namespace tobimaru::test
