#include "archives/ExtensionChange.h"
#include "base/ErrorTable.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::FolderSnapshot;
using test::TempDir;

TEST(ExtensionChange, TheNewNameOfEachKindOfRow) {
    const auto U = ExtensionOption::Upper;
    const auto L = ExtensionOption::Lower;
    const auto S = ExtensionOption::Unify;
    struct Row {
        const char* key;
        const char* column;
        ExtensionOption option;
        QString typed;
        ExtensionStep::Kind kind;
        const char* newPath;
    };
    // The dialog's own cases are in its tests; these are the ones only the names show.
    const Row rows[] = {
        {"/m/x.tar.gz", "gz", U, "", ExtensionStep::Rename, "/m/x.tar.GZ"},
        {"/m/clip.mpeg", "mpeg", S, "", ExtensionStep::Refuse, ""},
        // Each would name a file in another folder, or no file at all.
        {"/m/clip.mpeg", "mpeg", S, "../", ExtensionStep::Refuse, ""},
        {"/m/clip.mpeg", "mpeg", S, QString("a") + QChar(0), ExtensionStep::Refuse, ""},
        {"/m/README", "<拡張子なし>", U, "", ExtensionStep::Keep, ""},
        {"/m/films.AVI", "フォルダ", S, "mpg", ExtensionStep::Keep, ""},
        {"/movie.AVI", "AVI", L, "", ExtensionStep::Rename, "/movie.avi"},
    };
    for (const Row& r : rows) {
        const ExtensionStep step = PlanExtensionChange(r.key, r.column, r.option, r.typed);
        EXPECT_EQ(step.kind, r.kind) << r.key << " " << r.typed.toStdString();
        EXPECT_EQ(step.newPath, QString::fromUtf8(r.newPath)) << r.key << " " << r.typed.toStdString();
    }
}

TEST(ExtensionChange, ARenameNeverReplacesAnotherFile) {
    TempDir dir;
    const QString movie = dir.write("movie.AVI", "the movie");
    dir.write("movie.avi", "another movie");
    dir.write("clip.mpg", "a clip");
    const QString clip = dir.write("clip.mpeg", "the clip");
    dir.mkdir("taken.mp4");
    const QString taken = dir.write("taken.mpg", "x");
    // Two names of one file: on a file system that heeds case they stay two names.
    const QString linked = dir.write("a.AVI", "one file");
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(dir.file("a.avi")).constData()),
              0);
    const auto before = FolderSnapshot(dir.path());
    struct Row {
        QString from;
        QString to;
        std::optional<ErrorCode> code;
    };
    const Row rows[] = {
        {movie, dir.file("movie.avi"), ErrorCode::FileAlreadyExists},
        {clip, dir.file("clip.mpg"), ErrorCode::FileAlreadyExists},
        {taken, dir.file("taken.mp4"), ErrorCode::FileAlreadyExists},
        {linked, dir.file("a.avi"), ErrorCode::FileAlreadyExists},
        {dir.file("gone.avi"), dir.file("gone.mpg"), ErrorCode::FileNotFound},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RenameWithoutReplacing(r.from, r.to), r.code) << r.to.toStdString();
    EXPECT_EQ(FolderSnapshot(dir.path()), before) << "nothing replaced, no temporary name left";

    EXPECT_EQ(RenameWithoutReplacing(clip, dir.file("clip.mp4")), std::nullopt);
    EXPECT_EQ(ArchiveMaker::read(dir.file("clip.mp4")), "the clip");
    EXPECT_FALSE(QFile::exists(clip));
}

/// Runs a tool without its chatter; true when it succeeded.
bool RunQuietly(const QString& program, const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

/// A small FAT file system, as a USB stick has, made by mkfs.vfat; root only.
class FatImage final {
public:
    FatImage() {
        if (::geteuid() != 0) {
            m_error = "mounting needs root";
            return;
        }
        const QString mkfs = QStandardPaths::findExecutable("mkfs.vfat", {"/usr/sbin", "/sbin"});
        if (mkfs.isEmpty()) {
            m_error = "mkfs.vfat is missing (scripts/packages.txt installs dosfstools)";
            return;
        }
        const QString image = m_dir.file("fat.img");
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(8 * 1024 * 1024)) {
            m_error = "cannot make the image";
            return;
        }
        file.close();
        if (!RunQuietly(mkfs, {"-n", "TOBIMARU", image})) {
            m_error = "mkfs.vfat failed";
            return;
        }
        m_mountPoint = m_dir.mkdir("mnt");
        // The kernel's own driver where it has one, else the FUSE one.
        if (!RunQuietly("mount", {"-o", "loop", image, m_mountPoint})) {
            const QString fuse = QStandardPaths::findExecutable("fusefat");
            if (fuse.isEmpty() || !RunQuietly(fuse, {"-o", "rw+", image, m_mountPoint})) {
                m_error = "neither mount -o loop nor fusefat mounts a FAT image here";
                return;
            }
        }
        m_mounted = true;
    }
    ~FatImage() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
    }
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;
    bool mounted() const { return m_mounted; }
    const char* error() const { return m_error; }
    QString file(const QString& name) const { return m_mountPoint + "/" + name; }
    QString path() const { return m_mountPoint; }

private:
    TempDir m_dir;
    QString m_mountPoint;
    const char* m_error = "";
    bool m_mounted = false;
};

TEST(ExtensionChange, OnFatAChangeOfCaseAloneIsARenameOfTheSameFile) {
    FatImage fat;
    if (!fat.mounted())
        GTEST_SKIP() << fat.error();
    const auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(fat.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    };
    write("movie.AVI", "the movie");
    write("other.mpg", "another clip");
    write("other.AVI", "another movie");

    EXPECT_EQ(RenameWithoutReplacing(fat.file("movie.AVI"), fat.file("movie.avi")), std::nullopt);
    EXPECT_EQ(QDir(fat.path()).entryList({"movie*"}, QDir::Files), QStringList{"movie.avi"});
    EXPECT_EQ(ArchiveMaker::read(fat.file("movie.avi")), "the movie");

    // Another spelling of the same name is still the same name: that is a clash.
    EXPECT_EQ(RenameWithoutReplacing(fat.file("other.AVI"), fat.file("OTHER.MPG")),
              ErrorCode::FileAlreadyExists);
    EXPECT_EQ(ArchiveMaker::read(fat.file("other.mpg")), "another clip");
    EXPECT_EQ(ArchiveMaker::read(fat.file("other.AVI")), "another movie");
    EXPECT_EQ(QDir(fat.path()).entryList({".tobimaru*"}, QDir::Files | QDir::Hidden), QStringList())
        << "no temporary name left";
}

} // namespace
} // namespace tobimaru
