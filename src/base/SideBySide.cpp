#include "base/SideBySide.h"

#include <system_error>
#include <thread>

namespace tobimaru {

void RunSideBySide(const std::function<void()>& here, const std::function<void()>& beside) {
    // A jthread joins on every way out, so that a throw in `here` still waits for `beside`.
    std::jthread other;
    try {
        other = std::jthread(beside);
    } catch (const std::system_error&) {
        here();
        beside();
        return;
    }
    here();
}

} // namespace tobimaru
