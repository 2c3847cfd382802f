#include "support/ForkedChild.h"

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tobimaru::test {

ForkedChild::ForkedChild(const std::function<void()>& body)
    : m_pid(::fork()) {
    if (m_pid < 0)
        throw std::runtime_error("cannot fork");
    if (m_pid == 0) {
        // A child killed on purpose leaves no core file behind.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        int status = 0;
        try {
            body();
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
}

ForkedChild::~ForkedChild() {
    stop();
}

void ForkedChild::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        wait();
    }
}

int ForkedChild::wait() {
    int status = 0;
    while (m_pid > 0 && ::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

} // namespace tobimaru::test
