#include "platform/Worker.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>

using namespace tobimaru;
using namespace std::chrono_literals;

namespace {

// Spins on `flag` for a few seconds at most: a test whose condition never comes fails instead of
// hanging, and nothing is claimed about how long it took.
bool Eventually(const std::atomic<bool>& flag) {
    for (int i = 0; i < 1000 && !flag.load(); ++i)
        std::this_thread::sleep_for(5ms);
    return flag.load();
}

} // namespace

TEST(Worker, HandsBackTheResultOnceAndRethrowsAFailure) {
    Worker<std::string> good([] { return std::string("rows"); });
    EXPECT_EQ(good.wait(), std::optional<std::string>("rows"));
    EXPECT_EQ(good.wait(), std::nullopt) << "a result is handed back once";

    Worker<int> bad([]() -> int { throw std::runtime_error("gone"); });
    EXPECT_THROW(bad.wait(), std::runtime_error);
}

TEST(Worker, CancelStopsTheWorkAndDropsWhatItReturns) {
    std::atomic<bool> sawStop{false};
    Worker<int> work([&sawStop](std::stop_token stop) {
        while (!stop.stop_requested())
            std::this_thread::sleep_for(1ms);
        sawStop = true;
        return 42;
    });
    work.cancel();
    EXPECT_EQ(work.wait(), std::nullopt);
    EXPECT_TRUE(Eventually(sawStop));
}

TEST(Worker, OneDroppedUnwaitedIsAskedToStop) {
    auto sawStop = std::make_shared<std::atomic<bool>>(false);
    {
        const Worker<int> work([sawStop](std::stop_token stop) {
            while (!stop.stop_requested())
                std::this_thread::sleep_for(1ms);
            *sawStop = true;
            return 0;
        });
    }
    EXPECT_TRUE(Eventually(*sawStop));
}

TEST(Worker, TheMainThreadRunsItsTimersWhileItWaits) {
    // The work can only end once a timer of the main thread has fired during the wait.
    std::atomic<bool> fed{false};
    QTimer::singleShot(0, [&fed] { fed = true; });
    Worker<bool> work([&fed] { return Eventually(fed); });
    EXPECT_EQ(work.wait(), std::optional<bool>(true));
}

TEST(Worker, SlowIsCalledOnceOnlyWhenTheWorkOutlastsItsPatience) {
    struct Case {
        const char* what;
        std::chrono::milliseconds patience;
        bool workWaitsForSlow;
        int slowCalls;
    };
    const Case cases[] = {
        {"work that ends only after the busy pointer came", 1ms, true, 1},
        {"work done long before its patience", std::chrono::hours(1), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> slowCalled{false};
        int calls = 0;
        Worker<bool> work([&] { return c.workWaitsForSlow ? Eventually(slowCalled) : true; });
        const std::optional<bool> result = work.wait(
            [&] {
                ++calls;
                slowCalled = true;
            },
            c.patience);
        EXPECT_EQ(result, std::optional<bool>(true));
        EXPECT_EQ(calls, c.slowCalls);
    }
}

TEST(Worker, RunAsideWorksOnAnotherThreadAndCanBeWaitedFor) {
    std::promise<std::thread::id> where;
    std::future<std::thread::id> answer = where.get_future();
    RunAside([&where] { where.set_value(std::this_thread::get_id()); });
    ASSERT_EQ(answer.wait_for(10s), std::future_status::ready);
    EXPECT_NE(answer.get(), std::this_thread::get_id());

    // WaitForAside returns once the work aside is done, however long it takes.
    std::atomic<bool> go{false};
    std::atomic<bool> done{false};
    RunAside([&] {
        Eventually(go);
        done = true;
    });
    const std::jthread starter([&] { go = true; });
    WaitForAside();
    EXPECT_TRUE(done);
}

TEST(Generation, OnlyTheLatestTicketIsCurrent) {
    struct Case {
        const char* what;
        bool takeSecondTicket;
        bool advance;
        bool firstCurrent;
    };
    const Case cases[] = {
        {"a lone request", false, false, true},
        {"overtaken by a newer request", true, false, false},
        {"nodes taken away meanwhile", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Generation generation;
        const Generation::Ticket first = generation.next();
        std::optional<Generation::Ticket> second;
        if (c.takeSecondTicket)
            second = generation.next();
        if (c.advance)
            generation.advance();
        EXPECT_EQ(generation.isCurrent(first), c.firstCurrent);
        if (second) {
            EXPECT_TRUE(generation.isCurrent(*second));
        }
    }
}

TEST(WaitRoom, AWaitEndsWhenWokenOrWhenItsDeadlinePasses) {
    for (const bool onMainThread : {true, false}) {
        SCOPED_TRACE(onMainThread ? "main thread" : "other thread");
        const auto run = [] {
            WaitRoom room;
            bool done = false;
            std::jthread waker([&] {
                const std::lock_guard<std::mutex> lock(room.mutex());
                done = true;
                room.wakeAll();
            });
            std::unique_lock<std::mutex> lock(room.mutex());
            const bool woken = room.wait(
                lock, [&] { return done; }, WaitRoom::Clock::now() + 1h);
            const bool timedOut = !room.wait(
                lock, [] { return false; }, WaitRoom::Clock::now() + 1ms);
            return woken && timedOut;
        };
        if (onMainThread) {
            EXPECT_TRUE(run());
        } else {
            std::future<bool> other = std::async(std::launch::async, run);
            EXPECT_TRUE(other.get());
        }
    }
}
