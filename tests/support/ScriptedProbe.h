#pragma once

#include "platform/MountProbe.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tobimaru::test {

/// A mount probe whose answers a test sets per mount point. A mount point set to hang blocks its
/// probe (on the prober's worker) until release(); the object's end releases everything, so no
/// worker stays stuck after a test. Every call is counted.
class ScriptedProbe final {
public:
    ScriptedProbe();
    ~ScriptedProbe();
    ScriptedProbe(const ScriptedProbe&) = delete;
    ScriptedProbe& operator=(const ScriptedProbe&) = delete;

    /// The probe to hand a prober; it shares this object's script and outlives it safely.
    MountProbe probe() const;

    /// What the probe of `mountPoint` answers (a ready folder, mode 0755, unless set).
    void answer(const QString& mountPoint, MountStatus status);
    /// The probe of `mountPoint` blocks until release(), then answers as set.
    void hang(const QString& mountPoint);
    /// Every blocked probe goes on, and none blocks any more.
    void release();

    /// How often `mountPoint` was probed ("" counts all probes).
    int calls(const QString& mountPoint = {}) const;
    /// How many probes are blocked right now.
    int blocked() const;

private:
    struct Script;
    std::shared_ptr<Script> m_script;
};

/// A ready folder: what a healthy mount's root answers.
MountStatus ReadyFolder(unsigned permissions = 0755);

} // namespace tobimaru::test
