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

/// Runs `work` on a thread of its own and waits for its result in a WaitRoom: on the main
/// thread the windows keep painting, timers and the player's events run, and user input waits.
/// `slow` is called once if the work outlasts `patience` (the place to show the busy pointer).
/// A failure inside the work is rethrown here. nullopt only when the application quit its event
/// loops meanwhile; the work then finishes unseen.
///
/// The thread is detached rather than pooled: a read stuck in the kernel (a server gone) can be
/// neither stopped nor joined, and it must not take a pool thread that later work needs.
template <typename T>
std::optional<T> WaitForWorker(std::function<T()> work, const std::function<void()>& slow = {},
                               std::chrono::milliseconds patience = std::chrono::milliseconds(500)) {
    struct Handoff {
        WaitRoom room;
        std::optional<T> result;
        std::exception_ptr failure;
        bool done = false;
    };
    auto handoff = std::make_shared<Handoff>();
    std::thread([handoff, work = std::move(work)] {
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

    std::unique_lock<std::mutex> lock(handoff->room.mutex());
    const auto done = [&] { return handoff->done; };
    bool finished = handoff->room.wait(lock, done, WaitRoom::Clock::now() + patience);
    if (!finished && slow) {
        lock.unlock();
        slow();
        lock.lock();
    }
    // Far enough to be "until it is done", near enough not to overflow the clock.
    constexpr auto kForever = std::chrono::hours(24 * 365);
    while (!finished) {
        finished = handoff->room.wait(lock, done, WaitRoom::Clock::now() + kForever);
        if (!finished)
            return std::nullopt; // the application is quitting
    }
    if (handoff->failure)
        std::rethrow_exception(handoff->failure);
    return std::move(handoff->result);
}

} // namespace tobimaru
