#include "support/HangingFuse.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tobimaru::test {

namespace {

using Clock = std::chrono::steady_clock;

// Starts a program with the given descriptors as its stdin, stdout and stderr (-1: /dev/null).
pid_t Spawn(const std::vector<std::string>& args, int in, int out, int err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int fds[] = {in, out, err};
    for (int target = 0; target < 3; ++target) {
        if (fds[target] >= 0)
            posix_spawn_file_actions_adddup2(&actions, fds[target], target);
        else
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null", target == 0 ? O_RDONLY : O_WRONLY,
                                             0);
    }
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Runs a program to its end; true when it exits with 0.
bool Run(const std::vector<std::string>& args) {
    const pid_t pid = Spawn(args, -1, -1, -1);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Listed(const QString& mountPoint) {
    for (const MountEntry& e : ReadMountInfo()) {
        if (e.mountPoint == mountPoint)
            return true;
    }
    return false;
}

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

HangingFuse::HangingFuse(const QString& mountPoint)
    : HangingFuse(mountPoint, Options{}) {}

HangingFuse::HangingFuse(const QString& mountPoint, Options options)
    : m_mountPoint(QDir::cleanPath(mountPoint)) {
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) {
        m_whyNot = QStringLiteral("this machine has no /dev/fuse");
        return;
    }
    const QString scratch = QDir::tempPath() + QStringLiteral("/hanging-fuse-") +
                            QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_log = scratch + QStringLiteral(".calls");
    const QString errors = scratch + QStringLiteral(".stderr");
    // The system's python carries Debian's fusepy; another python on the path may not.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    int control[2] = {-1, -1};
    int ready[2] = {-1, -1};
    // A socket, not a pipe, for the control line: a write after the file system has died must
    // not kill the test with SIGPIPE.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, control) != 0 ||
        ::pipe2(ready, O_CLOEXEC) != 0) {
        m_whyNot = QStringLiteral("no pipe for the FUSE helper");
        return;
    }
    const int err =
        ::open(QFile::encodeName(errors).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::vector<std::string> command{Native(python),
                                     Native(QStringLiteral(TOBIMARU_TEST_SUPPORT_DIR "/hanging_fuse.py")),
                                     Native(m_mountPoint),
                                     Native(m_log),
                                     options.subtype.toStdString(),
                                     std::to_string((options.watchdog + std::chrono::seconds(20)).count())};
    if (!options.source.isEmpty())
        command.insert(command.end(),
                       {"--source", Native(options.source), "--delay-ms", std::to_string(options.delayMs)});
    if (options.typeless)
        command.push_back("--typeless");
    if (options.startOpen)
        command.push_back("--open");
    m_pid = Spawn(command, control[1], ready[1], err);
    ::close(control[1]);
    ::close(ready[1]);
    if (err >= 0)
        ::close(err);
    m_control = control[0];

    std::string said;
    const Clock::time_point deadline = Clock::now() + options.mountTimeout;
    while (said.find("ready\n") == std::string::npos && m_pid > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{ready[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0)
            break;
        char buffer[256];
        const ssize_t n = ::read(ready[0], buffer, sizeof buffer);
        if (n <= 0)
            break; // the helper is gone
        said.append(buffer, size_t(n));
    }
    ::close(ready[0]);
    m_mounted = said.find("ready\n") != std::string::npos && Listed(m_mountPoint);
    if (!m_mounted) {
        QFile text(errors);
        const QString reason =
            text.open(QIODevice::ReadOnly) ? QString::fromUtf8(text.readAll()).trimmed() : QString();
        m_whyNot = QStringLiteral("cannot mount a FUSE file system (python3-fusepy and fuse3 needed): ") +
                   (reason.isEmpty() ? QStringLiteral("the helper said nothing") : reason.right(400));
    } else {
        m_watchdog = std::thread([this, limit = options.watchdog] { watch(limit); });
    }
    QFile::remove(errors);
}

HangingFuse::~HangingFuse() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_ended.notify_all();
    if (m_watchdog.joinable())
        m_watchdog.join();
    if (m_pid > 0) {
        release();
        unmount();
        ::close(m_control); // the end of its stdin lets the helper go
        m_control = -1;
        int status = 0;
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() >= deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (m_control >= 0)
        ::close(m_control);
    if (!m_log.isEmpty())
        QFile::remove(m_log);
}

MountEntry HangingFuse::entry() const {
    MountEntry found;
    for (const MountEntry& e : ReadMountInfo()) {
        if (e.mountPoint == m_mountPoint)
            found = e;
    }
    return found;
}

void HangingFuse::send(const char* line) {
    if (m_control >= 0)
        ::send(m_control, line, std::char_traits<char>::length(line), MSG_NOSIGNAL);
}

void HangingFuse::release() {
    send("release\n");
}

void HangingFuse::hang() {
    send("hang\n");
}

// The call log's lines, each "operation path thread-id" (a path may hold blanks).
QList<QList<QByteArray>> HangingFuse::calls() const {
    QList<QList<QByteArray>> out;
    QFile log(m_log);
    if (!log.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 3)
            out.append(fields);
    }
    return out;
}

QList<pid_t> HangingFuse::callers() const {
    QList<pid_t> out;
    for (const QList<QByteArray>& call : calls())
        out.append(pid_t(call.last().toLong()));
    return out;
}

QStringList HangingFuse::operations() const {
    QStringList out;
    for (const QList<QByteArray>& call : calls())
        out.append(QString::fromUtf8(call.first()));
    return out;
}

QHash<QString, int> HangingFuse::countsOf(const QString& operation) const {
    QHash<QString, int> out;
    const QByteArray op = operation.toUtf8();
    for (const QList<QByteArray>& call : calls()) {
        if (call.first() == op)
            ++out[QString::fromUtf8(call.mid(1, call.size() - 2).join(' '))];
    }
    return out;
}

void HangingFuse::clearCalls() {
    QFile log(m_log);
    if (log.open(QIODevice::WriteOnly | QIODevice::Truncate))
        log.close();
}

void HangingFuse::unmount() {
    if (!Listed(m_mountPoint))
        return;
    const std::string mp = Native(m_mountPoint);
    if (!Run({"fusermount", "-u", "-z", mp}) && !Run({"fusermount3", "-u", "-z", mp}))
        Run({"umount", "-l", mp});
}

void HangingFuse::watch(std::chrono::seconds limit) {
    std::unique_lock lock(m_mutex);
    if (!m_ended.wait_for(lock, limit, [this] { return m_ending; }))
        release();
}

int ProcessThreadCount() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

int SettledThreadCount(int atMost) {
    int count = ProcessThreadCount();
    for (int i = 0; i < 300 && count > atMost; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = ProcessThreadCount();
    }
    return count;
}

} // namespace tobimaru::test
