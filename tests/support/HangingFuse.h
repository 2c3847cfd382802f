#pragma once

#include "platform/MountTable.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/types.h>
#include <thread>

namespace tobimaru::test {

/// A FUSE file system whose every call waits until it is released, mounted for the life of the
/// object: a mount that has stopped answering, for real; or, with Options::source, a share that
/// answers slowly and may stop answering mid-way (hang()). Made by tests/support/hanging_fuse.py
/// (python3-fusepy, fuse3).
///
/// A thread that calls into it is stuck in the kernel and cannot be interrupted, so the object
/// releases the calls itself, before it unmounts (lazily) and ends the file system. A watchdog
/// releases them too when a test is still holding on after `watchdog`, so that a program that
/// wrongly waits on the mount lets the test run on (and fail) instead of hanging it; and the file
/// system releases itself for good a little later, should the test process have been killed.
///
///     test::HangingFuse fuse(dir.mkdir("nas"));
///     if (!fuse.mounted())
///         GTEST_SKIP() << fuse.whyNot();
class HangingFuse final {
public:
    struct Options {
        QString subtype;                       ///< "sshfs": the type "fuse.sshfs", a network mount
        std::chrono::seconds watchdog{30};     ///< when the calls are released at the latest
        std::chrono::seconds mountTimeout{15}; ///< how long mounting may take before giving up
        /// A slow share instead of an empty root: this folder passed through, each getattr and
        /// readdir answered after `delayMs` once released, nothing cached by the kernel (a stat
        /// costs two calls, a lookup and a getattr, both logged as "getattr").
        QString source;
        int delayMs = 0;
        bool typeless = false;  ///< readdir gives no types (DT_UNKNOWN), as some FUSE file systems do
        bool startOpen = false; ///< answer from the start, until hang()
    };

    /// Mounts at `mountPoint` (an empty folder that exists). Check mounted() before use.
    explicit HangingFuse(const QString& mountPoint);
    HangingFuse(const QString& mountPoint, Options options);
    ~HangingFuse();
    HangingFuse(const HangingFuse&) = delete;
    HangingFuse& operator=(const HangingFuse&) = delete;

    /// True once the kernel lists the mount.
    bool mounted() const { return m_mounted; }
    /// Why it is not mounted (for GTEST_SKIP).
    const QString& whyNot() const { return m_whyNot; }
    const QString& mountPoint() const { return m_mountPoint; }
    /// Its line of the live mount table (type, source, device and id as the kernel has them).
    MountEntry entry() const;

    /// Lets every call answer from now on: the root is an empty folder.
    void release();
    /// Makes the calls wait again.
    void hang();

    /// The thread ids of the callers of every call so far, in order.
    QList<pid_t> callers() const;
    /// The operations called so far, in order ("getattr", "statfs", "opendir", ...).
    QStringList operations() const;
    /// How often each path was asked by `operation` so far, by path under the mount ("/a.avi").
    QHash<QString, int> countsOf(const QString& operation) const;
    /// Forgets the calls so far.
    void clearCalls();

private:
    QList<QList<QByteArray>> calls() const;
    void send(const char* line);
    void unmount();
    void watch(std::chrono::seconds limit);

    QString m_mountPoint;
    QString m_log;
    QString m_whyNot;
    bool m_mounted = false;
    pid_t m_pid = -1;
    int m_control = -1; ///< the file system's stdin
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_ending = false;
    std::thread m_watchdog;
};

/// How many threads this process has now (/proc/self/task).
int ProcessThreadCount();

/// The thread count once it has come down to `atMost`, or after a few seconds: a worker that has
/// just answered takes a moment to end, and only threads that stay count against a test.
int SettledThreadCount(int atMost);

} // namespace tobimaru::test
