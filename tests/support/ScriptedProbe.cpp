#include "support/ScriptedProbe.h"

#include <QHash>
#include <QSet>
#include <condition_variable>
#include <mutex>
#include <sys/stat.h>

namespace tobimaru::test {

struct ScriptedProbe::Script {
    mutable std::mutex mutex;
    std::condition_variable released;
    QHash<QString, MountStatus> answers;
    QSet<QString> hanging;
    QHash<QString, int> calls;
    int total = 0;
    int blocked = 0;
};

MountStatus ReadyFolder(unsigned permissions) {
    return MountStatus{true, std::uint32_t(S_IFDIR | permissions)};
}

ScriptedProbe::ScriptedProbe()
    : m_script(std::make_shared<Script>()) {}

ScriptedProbe::~ScriptedProbe() {
    release();
}

MountProbe ScriptedProbe::probe() const {
    return [script = m_script](const QString& mountPoint) {
        std::unique_lock lock(script->mutex);
        ++script->calls[mountPoint];
        ++script->total;
        if (script->hanging.contains(mountPoint)) {
            ++script->blocked;
            script->released.wait(lock, [&] { return !script->hanging.contains(mountPoint); });
            --script->blocked;
        }
        return script->answers.value(mountPoint, ReadyFolder());
    };
}

void ScriptedProbe::answer(const QString& mountPoint, MountStatus status) {
    const std::lock_guard lock(m_script->mutex);
    m_script->answers.insert(mountPoint, status);
}

void ScriptedProbe::hang(const QString& mountPoint) {
    const std::lock_guard lock(m_script->mutex);
    m_script->hanging.insert(mountPoint);
}

void ScriptedProbe::release() {
    {
        const std::lock_guard lock(m_script->mutex);
        m_script->hanging.clear();
    }
    m_script->released.notify_all();
}

int ScriptedProbe::calls(const QString& mountPoint) const {
    const std::lock_guard lock(m_script->mutex);
    return mountPoint.isEmpty() ? m_script->total : m_script->calls.value(mountPoint);
}

int ScriptedProbe::blocked() const {
    const std::lock_guard lock(m_script->mutex);
    return m_script->blocked;
}

} // namespace tobimaru::test
