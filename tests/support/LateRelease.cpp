#include "support/LateRelease.h"

namespace tobimaru::test {

LateRelease::LateRelease(std::function<void()> release, std::chrono::milliseconds after)
    : m_release(std::move(release))
    , m_thread([this, after] {
        std::unique_lock lock(m_mutex);
        const bool ended = m_done.wait_for(lock, after, [this] { return m_over; });
        if (!ended || m_releaseNow) {
            m_released = true;
            m_release();
        }
    }) {}

LateRelease::~LateRelease() {
    finish(false);
}

void LateRelease::stop() {
    finish(true);
}

void LateRelease::finish(bool release) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_over)
            return;
        m_over = true;
        m_releaseNow = release;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace tobimaru::test
