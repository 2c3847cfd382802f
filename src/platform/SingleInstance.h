#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace tobimaru {

/// One running copy per user: a lock file in the user's runtime folder. A lock left by a
/// crashed run names a process that no longer exists, so it does not block the next start.
class SingleInstance {
public:
    /// `lockPath` empty: TobimaruMe.lock in the runtime folder.
    explicit SingleInstance(const QString& lockPath = {});
    /// True when this process now holds the lock; false while another instance runs.
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tobimaru
