#pragma once

#include <functional>
#include <sys/types.h>

namespace tobimaru::test {

/// A forked copy of the test process that runs one function and ends: a second live process
/// of the same program, or one killed half-way through what it does. Killed and reaped with
/// its owner if it still runs.
class ForkedChild final {
public:
    /// Starts the child; it runs `body` and exits (status 0, or 1 when `body` throws).
    explicit ForkedChild(const std::function<void()>& body);
    ~ForkedChild();
    ForkedChild(const ForkedChild&) = delete;
    ForkedChild& operator=(const ForkedChild&) = delete;

    pid_t pid() const { return m_pid; }
    /// Waits for the child to end: the signal that ended it, or 0 after a normal exit.
    int wait();
    /// Kills the child and waits for it to be gone.
    void stop();

private:
    pid_t m_pid = -1;
};

} // namespace tobimaru::test
