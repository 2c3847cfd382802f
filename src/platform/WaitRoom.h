#pragma once

#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class QEventLoop;

namespace tobimaru {

/// Where a thread waits for work that worker threads do, guarded by one mutex the work shares.
///
/// On the application's main thread the wait runs a local event loop that leaves user input
/// queued: the windows keep painting and answering the window system, timers and queued calls
/// run, and nothing the user does is taken until the wait ends (unless an InputGate takes it
/// and holds it instead). On any other thread, or without
/// an application object, it simply sleeps.
class WaitRoom final {
public:
    using Clock = std::chrono::steady_clock;

    WaitRoom() = default;
    Q_DISABLE_COPY(WaitRoom)

    /// The mutex that guards what the waiters look at.
    std::mutex& mutex() { return m_mutex; }

    /// What a wait on the main thread does with the user's input: leaves it queued, or takes it
    /// into its loop, for an InputGate that holds it.
    enum class UserInput { Queued, Taken };

    /// Waits until `done()` is true or `deadline` has passed; returns the last `done()`. `lock`
    /// holds mutex() on entry and on return; `done` is always called with it held. The wait also
    /// ends early when the application quits the event loops.
    bool wait(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done,
              Clock::time_point deadline, UserInput input = UserInput::Queued);

    /// Makes every waiter look at `done()` again. Call with mutex() held, after changing what
    /// the waiters read.
    void wakeAll();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<QEventLoop*> m_loops; ///< the local loops of main-thread waiters, innermost last
};

} // namespace tobimaru
