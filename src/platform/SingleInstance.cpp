#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

/// The file name of the program a process runs ("" when it cannot be seen: gone, a zombie,
/// another user's). An executable replaced by an update still counts as the program.
QByteArray ProgramName(const QByteArray& process) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/" + process + "/exe").constData(), buffer, sizeof buffer);
    if (n <= 0)
        return {};
    QByteArray exe(buffer, n);
    if (exe.endsWith(" (deleted)"))
        exe.chop(10);
    return exe.mid(exe.lastIndexOf('/') + 1);
}

QByteArray ReadAll(int fd) {
    QByteArray content;
    char buffer[4096];
    // A lock file holds a few short lines; a longer one is no lock file of ours anyway.
    while (content.size() < 64 * 1024) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(content.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        content.append(buffer, n);
    }
    return content;
}

QString ReasonFor(const QByteArray& path, int error) {
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return QStringLiteral("同じ名前のフォルダがあります。");
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("シンボリックリンクです。");
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("通常のファイルではありません。");
    }
    if (error == EACCES || error == EPERM || error == EROFS)
        return QStringLiteral("書き込みが許されていません。");
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

SingleInstance::SingleInstance(const QString& lockPath)
    : m_path(lockPath) {
    if (m_path.isEmpty()) {
        QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (dir.isEmpty())
            dir = QDir::tempPath();
        m_path = dir + QStringLiteral("/TobimaruMe.lock");
    }
}

bool SingleInstance::NamesLiveCopy(const QByteArray& content) {
    const QList<QByteArray> lines = content.split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0 || pid > INT_MAX || pid == ::getpid())
        return false;
    const QByteArray host = lines.value(2).trimmed();
    if (!host.isEmpty() && host != QSysInfo::machineHostName().toUtf8())
        return false;
    // A process id from before the last boot may well belong to someone else now.
    const QByteArray boot = lines.value(4).trimmed();
    if (!boot.isEmpty() && boot != QSysInfo::bootUniqueId())
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    const QByteArray program = ProgramName(QByteArray::number(pid));
    return !program.isEmpty() && program == ProgramName("self");
}

QByteArray SingleInstance::ownContent() const {
    // The lines QLockFile writes, so that a copy of an earlier version reads this lock too.
    return QByteArray::number(::getpid()) + '\n' + ProgramName("self") + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

void SingleInstance::refuse(const QString& reason) {
    m_outcome = Outcome::LockUnusable;
    m_problem = QStringLiteral("起動中かどうかを確かめるロックファイルを使えません。\n%1\n%2\n"
                               "これを取り除いてから、もう一度起動してください。")
                    .arg(m_path, reason);
}

bool SingleInstance::acquire() {
    if (m_outcome == Outcome::Acquired)
        return true;
    const QByteArray native = QFile::encodeName(m_path);
    // Never waits: a FIFO under the name would otherwise hold the start for ever. A link is
    // not followed, so nobody can point our lock at another file.
    const auto open = [&native] {
        return UniqueFd(::open(native.constData(),
                               O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
    };
    UniqueFd fd = open();
    if (!fd.valid() && errno == ENOENT && QDir().mkpath(QFileInfo(m_path).absolutePath()))
        fd = open();
    if (!fd.valid()) {
        refuse(ReasonFor(native, errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        refuse(QStringLiteral("通常のファイルではありません。"));
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        refuse(QStringLiteral("ほかのユーザーのファイルです。"));
        return false;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_outcome = Outcome::AnotherCopyRuns;
        return false;
    }
    // Held by nobody (or on a file system without flock): only a live copy named in the file
    // still counts.
    if (NamesLiveCopy(ReadAll(fd.get()))) {
        m_outcome = Outcome::AnotherCopyRuns;
        return false;
    }
    const QByteArray content = ownContent();
    if (::ftruncate(fd.get(), 0) != 0 ||
        ::pwrite(fd.get(), content.constData(), size_t(content.size()), 0) < 0) {
        // The lock is the flock; the text only helps a copy on a file system without one.
    }
    m_fd = std::move(fd);
    m_outcome = Outcome::Acquired;
    return true;
}

} // namespace tobimaru
