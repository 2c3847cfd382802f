#include "base/SideBySide.h"

#include <system_error>
#include <thread>
#include <vector>

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

void RunLanes(int lanes, const std::function<void(int lane)>& lane) {
    std::vector<std::jthread> others;
    if (lanes > 1)
        others.reserve(size_t(lanes - 1));
    for (int i = 1; i < lanes; ++i) {
        try {
            others.emplace_back(lane, i);
        } catch (const std::system_error&) {
            break; // the lanes running take the rest
        }
    }
    // The jthreads join when `others` goes, on every way out.
    lane(0);
}

} // namespace tobimaru
