#include "platform/Worker.h"

#include <condition_variable>

namespace tobimaru {

namespace {

// How many RunAside works are still running, for WaitForAside.
struct AsideCount {
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
};

AsideCount theAside;

} // namespace

void RunAside(std::function<void()> work) {
    {
        const std::lock_guard<std::mutex> lock(theAside.mutex);
        ++theAside.running;
    }
    // The worker goes at once; its thread finishes the work on its own.
    const Worker<bool> aside([work = std::move(work)] {
        try {
            work();
        } catch (...) {
        }
        const std::lock_guard<std::mutex> lock(theAside.mutex);
        --theAside.running;
        theAside.changed.notify_all();
        return true;
    });
}

void WaitForAside() {
    std::unique_lock<std::mutex> lock(theAside.mutex);
    theAside.changed.wait(lock, [] { return theAside.running == 0; });
}

} // namespace tobimaru
