#include "platform/TerminationWatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tobimaru {

namespace {

int g_fds[2] = {-1, -1};
volatile sig_atomic_t g_requests = 0;

void OnSignal(int) {
    // A second request while the first is still closing the window (a box may be waiting for
    // an answer nobody can give) ends the process at once.
    if (g_requests != 0)
        ::_exit(128 + SIGTERM);
    g_requests = 1;
    const char c = 1;
    // Only async-signal-safe work here: one byte into the pair, read on the GUI thread.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &c, 1);
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent)
    : QObject(parent) {
    if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatcher::onReadable);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
}

void TerminationWatcher::onReadable() {
    char c = 0;
    [[maybe_unused]] const ssize_t n = ::read(g_fds[1], &c, 1);
    Q_EMIT terminationRequested();
}

} // namespace tobimaru
