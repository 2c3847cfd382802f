#pragma once

#include <QtGlobal>

#include "platform/WaitRoom.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>

namespace tobimaru {

/// The stale-result rule of every background read: each request takes a ticket, and what comes
/// back is used only while its ticket is still the current one. Whatever takes nodes or rows out
/// of a reader's hands (a rebuild, a removal, a newer listing) moves the generation on.
class Generation final {
public:
    using Ticket = std::uint64_t;

    /// A new request: every ticket handed out before is stale from now on.
    Ticket next() { return ++m_current; }
    /// Makes every ticket handed out so far stale.
    void advance() { ++m_current; }
    /// The ticket of now, for a request that goes stale only when something else moves on.
    Ticket current() const { return m_current; }
    bool isCurrent(Ticket ticket) const { return ticket == m_current; }

private:
    Ticket m_current = 0;
};

/// Work running on a thread of its own from the moment it is made; wait() fetches its result.
/// The work takes a std::stop_token (or nothing): cancel(), or dropping the Worker unwaited,
/// asks it to stop, and whatever it still returns is dropped unseen.
///
/// The thread is detached rather than pooled or joined: a read stuck in the kernel (a server
/// gone, a share that takes seconds a call) can be neither stopped nor joined, and it must not
/// hold up the window nor take a pool thread that later work needs.
template <typename T> class Worker final {
public:
    template <typename Work>
    explicit Worker(Work work)
        : m_handoff(std::make_shared<Handoff>()) {
        std::thread([handoff = m_handoff, work = std::move(work)]() mutable {
            std::optional<T> result;
            std::exception_ptr failure;
            try {
                if constexpr (std::is_invocable_v<Work&, std::stop_token>)
                    result.emplace(work(handoff->stop.get_token()));
                else
                    result.emplace(work());
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard<std::mutex> lock(handoff->room.mutex());
            handoff->result = std::move(result);
            handoff->failure = failure;
            handoff->done = true;
            handoff->room.wakeAll();
        }).detach();
    }
    ~Worker() {
        if (m_handoff)
            m_handoff->stop.request_stop();
    }
    Q_DISABLE_COPY(Worker)
    Worker(Worker&&) noexcept = default;
    Worker& operator=(Worker&&) noexcept = default;

    /// Asks the work to stop where it next looks; a wait() after this returns nullopt at once.
    void cancel() {
        m_handoff->stop.request_stop();
        const std::lock_guard<std::mutex> lock(m_handoff->room.mutex());
        m_handoff->room.wakeAll();
    }

    /// Waits in a WaitRoom: on the main thread the windows keep painting, timers and the
    /// player's events run, and user input waits. `slow` is called once if the work outlasts
    /// `patience` (the place to show the busy pointer). A failure inside the work is rethrown
    /// here. nullopt when the work was cancelled, when the application quit its event loops
    /// meanwhile, or on a second wait; the work then finishes unseen. `input` says whether the
    /// user's input stays queued meanwhile or is taken by an InputGate the caller holds.
    std::optional<T> wait(const std::function<void()>& slow = {},
                          std::chrono::milliseconds patience = std::chrono::milliseconds(500),
                          WaitRoom::UserInput input = WaitRoom::UserInput::Queued) {
        Handoff& h = *m_handoff;
        std::unique_lock<std::mutex> lock(h.room.mutex());
        const auto done = [&h] { return h.done || h.stop.stop_requested(); };
        const bool finished = h.room.wait(lock, done, WaitRoom::Clock::now() + patience, input);
        if (!finished && slow) {
            lock.unlock();
            slow();
            lock.lock();
        }
        // Far enough to be "until it is done", near enough not to overflow the clock.
        constexpr auto kForever = std::chrono::hours(24 * 365);
        if (!finished && !h.room.wait(lock, done, WaitRoom::Clock::now() + kForever, input))
            return std::nullopt; // the application is quitting
        if (h.stop.stop_requested())
            return std::nullopt;
        if (h.failure)
            std::rethrow_exception(std::exchange(h.failure, nullptr));
        return std::exchange(h.result, std::nullopt);
    }

private:
    struct Handoff {
        WaitRoom room;
        std::stop_source stop;
        std::optional<T> result;
        std::exception_ptr failure;
        bool done = false;
    };
    std::shared_ptr<Handoff> m_handoff;
};

/// Runs `work` on a Worker and waits for it (see Worker::wait).
template <typename T>
std::optional<T> WaitForWorker(std::function<T()> work, const std::function<void()>& slow = {},
                               std::chrono::milliseconds patience = std::chrono::milliseconds(500)) {
    return Worker<T>(std::move(work)).wait(slow, patience);
}

/// Runs `work` on a Worker nobody waits for (freeing a big listing, say); a failure inside it
/// is dropped.
void RunAside(std::function<void()> work);

/// Waits until every RunAside work has finished: a benchmark's round must not pay for the
/// freeing of the round before.
void WaitForAside();

} // namespace tobimaru
