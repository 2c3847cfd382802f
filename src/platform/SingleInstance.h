#pragma once

#include "base/UniqueFd.h"

#include <QByteArray>
#include <QString>

namespace tobimaru {

/// One running copy per user: a lock file in the user's runtime folder, held with flock() for
/// as long as the process lives. The kernel lets go of the lock when the process ends however
/// it ends, so whatever a crashed run left in the file never blocks the next start; a file that
/// names no live copy of this program on this host is simply taken over.
class SingleInstance final {
public:
    enum class Outcome {
        Pending,         ///< acquire() not called yet
        Acquired,        ///< this process holds the lock
        AnotherCopyRuns, ///< a live copy of the program holds it
        LockUnusable,    ///< the lock path cannot be a lock file (a folder, a FIFO, no access)
    };

    /// `lockPath` empty: TobimaruMe.lock in the runtime folder.
    explicit SingleInstance(const QString& lockPath = {});

    /// True when this process now holds the lock; false while another copy runs or when the
    /// lock path cannot be used (see outcome() and problem()).
    bool acquire();
    Outcome outcome() const { return m_outcome; }
    /// For LockUnusable: what is wrong with the lock path, as the user is told it; else empty.
    QString problem() const { return m_problem; }
    QString lockPath() const { return m_path; }

    /// True when `content`, a lock file's text (process id, program name, host name, machine
    /// id, boot id, a line each), names a process of this program that is alive on this host.
    /// A file that is empty, unreadable as such, from another host or an earlier boot, or naming
    /// a process that is gone or runs another program, names none.
    static bool NamesLiveCopy(const QByteArray& content);

private:
    void refuse(const QString& reason);
    QByteArray ownContent() const;

    QString m_path;
    UniqueFd m_fd;
    Outcome m_outcome = Outcome::Pending;
    QString m_problem;
};

} // namespace tobimaru
