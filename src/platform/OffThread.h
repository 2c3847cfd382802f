#pragma once

#include "platform/WaitRoom.h"

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace tobimaru {

/// Work running on a thread of its own from the moment it is made; wait() fetches its result.
/// The thread is detached rather than pooled: a read stuck in the kernel (a server gone) can be
/// neither stopped nor joined, and it must not take a pool thread that later work needs.
template <typename T> class Worker final {
public:
    explicit Worker(std::function<T()> work)
        : m_handoff(std::make_shared<Handoff>()) {
        std::thread([handoff = m_handoff, work = std::move(work)] {
            std::optional<T> result;
            std::exception_ptr failure;
            try {
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

    /// Waits in a WaitRoom: on the main thread the windows keep painting, timers and the
    /// player's events run, and user input waits. `slow` is called once if the work outlasts
    /// `patience` (the place to show the busy pointer). A failure inside the work is rethrown
    /// here. nullopt only when the application quit its event loops meanwhile, or on a second
    /// wait; the work then finishes unseen.
    std::optional<T> wait(const std::function<void()>& slow = {},
                          std::chrono::milliseconds patience = std::chrono::milliseconds(500)) {
        Handoff& h = *m_handoff;
        std::unique_lock<std::mutex> lock(h.room.mutex());
        const auto done = [&h] { return h.done; };
        bool finished = h.room.wait(lock, done, WaitRoom::Clock::now() + patience);
        if (!finished && slow) {
            lock.unlock();
            slow();
            lock.lock();
        }
        // Far enough to be "until it is done", near enough not to overflow the clock.
        constexpr auto kForever = std::chrono::hours(24 * 365);
        if (!finished && !h.room.wait(lock, done, WaitRoom::Clock::now() + kForever))
            return std::nullopt; // the application is quitting
        if (h.failure)
            std::rethrow_exception(std::exchange(h.failure, nullptr));
        return std::exchange(h.result, std::nullopt);
    }

private:
    struct Handoff {
        WaitRoom room;
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

} // namespace tobimaru
