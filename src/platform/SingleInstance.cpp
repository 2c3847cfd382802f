#include "platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace tobimaru {

SingleInstance::SingleInstance(const QString& lockPath)
    : m_path(lockPath) {
    if (m_path.isEmpty()) {
        QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (dir.isEmpty())
            dir = QDir::tempPath();
        m_path = dir + QStringLiteral("/TobimaruMe.lock");
    }
    m_lock = std::make_unique<QLockFile>(m_path);
    // Age alone never makes a lock stale: a long session must keep its lock. A lock whose
    // process is gone is still taken over, since QLockFile checks the recorded process.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    if (m_lock->isLocked())
        return true;
    return m_lock->tryLock(0);
}

} // namespace tobimaru
