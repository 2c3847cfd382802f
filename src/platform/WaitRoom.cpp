#include "platform/WaitRoom.h"

#include "platform/InputGate.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace tobimaru {

namespace {

// How a local loop ended: the application's own quit uses neither number.
constexpr int kWoken = 1;
constexpr int kTimedOut = 2;

bool OnMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

bool WaitRoom::wait(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done,
                    Clock::time_point deadline, UserInput input) {
    if (done())
        return true;
    if (!OnMainThread())
        return m_changed.wait_until(lock, deadline, done);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(kTimedOut); });
    m_loops.push_back(&loop);
    std::optional<InputGate::Excluding> excluding;
    if (input == UserInput::Queued)
        excluding.emplace();
    const QEventLoop::ProcessEventsFlags flags =
        input == UserInput::Queued ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
    bool finished = false;
    while (true) {
        finished = done();
        const Clock::time_point now = Clock::now();
        if (finished || now >= deadline)
            break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        lock.unlock();
        timer.start(int(std::min<std::chrono::milliseconds::rep>(left.count(), 1 << 30)));
        const int why = loop.exec(flags);
        timer.stop();
        lock.lock();
        // Neither a worker nor the timer ended the loop: the application is quitting its loops,
        // and a loop run again would return at once.
        if (why != kWoken && why != kTimedOut) {
            finished = done();
            break;
        }
    }
    m_loops.erase(std::remove(m_loops.begin(), m_loops.end(), &loop), m_loops.end());
    return finished;
}

void WaitRoom::wakeAll() {
    m_changed.notify_all();
    // A queued call is safe from any thread, and one posted to a loop that has gone already is
    // dropped with it: the loop leaves the list under the mutex before it goes.
    for (QEventLoop* loop : m_loops)
        QMetaObject::invokeMethod(
            loop, [loop] { loop->exit(kWoken); }, Qt::QueuedConnection);
}

} // namespace tobimaru
