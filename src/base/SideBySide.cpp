#include "base/SideBySide.h"

#include <system_error>
#include <thread>

namespace tobimaru {

namespace {

// Joins on every way out, so that a throw in `here` does not end the process.
class Joined final {
public:
    explicit Joined(std::thread& thread)
        : m_thread(thread) {}
    ~Joined() {
        if (m_thread.joinable())
            m_thread.join();
    }
    Joined(const Joined&) = delete;
    Joined& operator=(const Joined&) = delete;

private:
    std::thread& m_thread;
};

} // namespace

void RunSideBySide(const std::function<void()>& here, const std::function<void()>& beside) {
    std::thread other;
    try {
        other = std::thread(beside);
    } catch (const std::system_error&) {
        here();
        beside();
        return;
    }
    const Joined joined(other);
    here();
}

} // namespace tobimaru
