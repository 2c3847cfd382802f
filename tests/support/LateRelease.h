#pragma once

#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tobimaru::test {

/// Releases something that hangs (a scripted probe, a FUSE share) after a while, from a thread of
/// its own, unless the object has gone by then. A wait that should end at once but waits gets
/// the released answer instead of none: a test tells "answered at once" from "waited" without
/// measuring time, and ends either way.
class LateRelease final {
public:
    LateRelease(std::function<void()> release, std::chrono::milliseconds after);
    /// Anything with a release().
    template <typename T>
    explicit LateRelease(T& target, std::chrono::milliseconds after = std::chrono::seconds(4))
        : LateRelease([&target] { target.release(); }, after) {}
    /// Ends the thread; what was not released yet stays so.
    ~LateRelease();
    Q_DISABLE_COPY(LateRelease)

    /// Whether the release has happened by now.
    bool released() const { return m_released; }
    /// Releases at once, if not done yet.
    void stop();

private:
    void finish(bool release);

    std::function<void()> m_release;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_over = false;
    bool m_releaseNow = false;
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};

} // namespace tobimaru::test
