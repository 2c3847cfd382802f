#include "platform/TrashFolders.h"

#include "base/FileNames.h"
#include "base/SystemReason.h"
#include "platform/MountTable.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tobimaru {

namespace {

/// One folder of a trash, opened below its parent.
struct Part {
    enum Fault { Ok, Missing, Link, NotFolder, Failed };
    UniqueFd fd;
    struct stat st {};
    Fault fault = Ok;
    int error = 0;
    bool making = false; ///< the failure was in making it
};

// Opens `name` below `parent` as a folder, never through a link; with `create` a missing one is
// made with mode 0700 first. Opening after making, rather than trusting mkdir, means a link
// put there in between is refused too.
Part OpenPart(int parent, const char* name, bool create) {
    Part p;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int error = errno;
    if (fd < 0 && error == ENOENT && create) {
        if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST) {
            p.fault = Part::Failed;
            p.error = errno;
            p.making = true;
            return p;
        }
        return OpenPart(parent, name, false);
    }
    if (fd >= 0) {
        p.fd.reset(fd);
        if (::fstat(fd, &p.st) == 0)
            return p;
        error = errno;
        p.fd.reset();
    }
    p.error = error;
    struct stat st {};
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        p.fault = errno == ENOENT ? Part::Missing : Part::Failed;
    else if (S_ISLNK(st.st_mode))
        p.fault = Part::Link;
    else if (!S_ISDIR(st.st_mode))
        p.fault = Part::NotFolder;
    else
        p.fault = Part::Failed;
    return p;
}

QString Quoted(const QString& path) {
    return QStringLiteral("「") + DisplayFileName(path) + QStringLiteral("」");
}

QString PartReason(const Part& p, const QString& shown) {
    const QString folder = QStringLiteral("ごみ箱のフォルダ") + Quoted(shown);
    switch (p.fault) {
    case Part::Ok:
        break;
    case Part::Missing:
        return folder + QStringLiteral("がありません");
    case Part::Link:
        return folder + QStringLiteral("がシンボリックリンクのため使えません");
    case Part::NotFolder:
        return folder + QStringLiteral("がフォルダではないため使えません");
    case Part::Failed:
        return folder + (p.making ? QStringLiteral("を作れません: ") : QStringLiteral("を開けません: ")) +
               SystemReason(p.error);
    }
    return {};
}

bool Fail(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
    return false;
}

// "files" and "info" of an opened trash folder, made when missing. Only looking (no `create`)
// leaves them alone: the emptying refuses a link there itself, and says so to the user, which a
// trash left out of the list never could.
bool OpenInside(const Part& trash, bool create, OpenTrash* out, QString* reason) {
    out->dev = trash.st.st_dev;
    out->ino = trash.st.st_ino;
    if (!create)
        return true;
    for (const char* name : {"files", "info"}) {
        Part p = OpenPart(trash.fd.get(), name, true);
        if (p.fault != Part::Ok)
            return Fail(reason, PartReason(p, out->path + QLatin1Char('/') + QLatin1String(name)));
        (name[0] == 'f' ? out->files : out->info) = std::move(p.fd);
    }
    return true;
}

QString UserHome() {
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return DecodeFileName(home);
    // No usable HOME: the password database knows it. The reentrant call, for worker threads.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &found) != 0 || !found || !pw.pw_dir ||
        pw.pw_dir[0] != '/')
        return {};
    return DecodeFileName(pw.pw_dir);
}

// Makes `path` and the folders above it that are missing, each 0700 as new data folders are.
bool MakePath(const QByteArray& path, int* error) {
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray upTo = slash < 0 ? path : path.left(slash);
        if (::mkdir(upTo.constData(), 0700) != 0 && errno != EEXIST) {
            *error = errno;
            return false;
        }
        if (slash < 0)
            return true;
    }
}

QString Uid() {
    return QString::number(::geteuid());
}

} // namespace

QString DataHome() {
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    // A relative value is to be ignored: it would make a trash below whatever the current folder is.
    if (xdg.startsWith('/'))
        return DecodeFileName(xdg);
    const QString home = UserHome();
    if (home.isEmpty())
        return {};
    return (home == QLatin1String("/") ? QString() : home) + QStringLiteral("/.local/share");
}

bool DataHomeDevice(dev_t* dev) {
    QByteArray path = EncodeFileName(DataHome());
    while (!path.isEmpty()) {
        struct stat st {};
        if (::stat(path.constData(), &st) == 0) {
            *dev = st.st_dev;
            return true;
        }
        if (errno != ENOENT)
            return false;
        const qsizetype slash = path.lastIndexOf('/');
        path = slash > 0 ? path.left(slash) : (slash == 0 && path != "/" ? QByteArray("/") : QByteArray());
    }
    return false;
}

bool OpenHomeTrash(bool create, OpenTrash* out, QString* reason) {
    const QString data = DataHome();
    if (data.isEmpty())
        return Fail(reason, QStringLiteral("ホームフォルダが分からないため、ごみ箱を使えません"));
    const QByteArray native = EncodeFileName(data);
    int error = 0;
    if (create && !MakePath(native, &error))
        return Fail(reason, QStringLiteral("データフォルダ") + Quoted(data) +
                                QStringLiteral("を作れません: ") + SystemReason(error));
    // The data folder itself may be a link (a home spread over disks); the trash in it may not.
    const UniqueFd dataFd(::open(native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dataFd.valid())
        return Fail(reason, QStringLiteral("データフォルダ") + Quoted(data) +
                                QStringLiteral("を開けません: ") + SystemReason(errno));
    out->path = data + QStringLiteral("/Trash");
    out->top.clear();
    const Part trash = OpenPart(dataFd.get(), "Trash", create);
    if (trash.fault != Part::Ok)
        return Fail(reason, PartReason(trash, out->path));
    return OpenInside(trash, create, out, reason);
}

bool OpenSharedTrash(int topFd, const QString& top, bool create, OpenTrash* out, QString* reason) {
    const QString base = (top == QLatin1String("/") ? QString() : top) + QStringLiteral("/.Trash");
    const Part shared = OpenPart(topFd, ".Trash", false);
    if (shared.fault != Part::Ok)
        return Fail(reason, PartReason(shared, base));
    // Without the sticky bit any user could take away what another put there.
    if (!(shared.st.st_mode & S_ISVTX))
        return Fail(reason, QStringLiteral("共有のごみ箱") + Quoted(base) +
                                QStringLiteral("にスティッキービットがないため使えません"));
    out->path = base + QLatin1Char('/') + Uid();
    out->top = EncodeFileName(top);
    const Part mine = OpenPart(shared.fd.get(), Uid().toLatin1().constData(), create);
    if (mine.fault != Part::Ok)
        return Fail(reason, PartReason(mine, out->path));
    if (mine.st.st_uid != ::geteuid())
        return Fail(reason, QStringLiteral("ごみ箱のフォルダ") + Quoted(out->path) +
                                QStringLiteral("が別のユーザーのもののため使えません"));
    return OpenInside(mine, create, out, reason);
}

bool OpenOwnTrash(int topFd, const QString& top, bool create, OpenTrash* out, QString* reason) {
    const QString name = QStringLiteral(".Trash-") + Uid();
    out->path = (top == QLatin1String("/") ? QString() : top) + QLatin1Char('/') + name;
    out->top = EncodeFileName(top);
    const Part own = OpenPart(topFd, name.toLatin1().constData(), create);
    if (own.fault != Part::Ok)
        return Fail(reason, PartReason(own, out->path));
    if (own.st.st_uid != ::geteuid())
        return Fail(reason, QStringLiteral("ごみ箱のフォルダ") + Quoted(out->path) +
                                QStringLiteral("が別のユーザーのもののため使えません"));
    // Others could read or plant what is thrown away; such a folder was not made for a trash.
    if (own.st.st_mode & 0077)
        return Fail(reason, QStringLiteral("ごみ箱のフォルダ") + Quoted(out->path) +
                                QStringLiteral("を他のユーザーも開けるため使えません (アクセス権 %1)")
                                    .arg(own.st.st_mode & 0777, 3, 8, QLatin1Char('0')));
    return OpenInside(own, create, out, reason);
}

QString VolumeTop(const QString& canonicalFolder, dev_t dev) {
    QStringList candidates;
    for (const MountEntry& m : ReadMountInfo()) {
        const QString& point = m.mountPoint;
        const bool above = point == QLatin1String("/") || canonicalFolder == point ||
                           canonicalFolder.startsWith(point + QLatin1Char('/'));
        if (above && !candidates.contains(point))
            candidates.append(point);
    }
    // The nearest mount point first; one mounted over it hides it, hence the device check.
    std::sort(candidates.begin(), candidates.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& point : candidates) {
        struct stat st {};
        if (::stat(EncodeFileName(point).constData(), &st) == 0 && st.st_dev == dev)
            return point;
    }
    return {};
}

} // namespace tobimaru
