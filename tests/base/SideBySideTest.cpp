#include "base/SideBySide.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace tobimaru;
using namespace std::chrono_literals;

TEST(SideBySide, BothHalvesRunAndTheSecondOnAnotherThread) {
    std::thread::id here, beside;
    RunSideBySide([&] { here = std::this_thread::get_id(); }, [&] { beside = std::this_thread::get_id(); });
    EXPECT_EQ(here, std::this_thread::get_id());
    EXPECT_NE(beside, std::thread::id());
    EXPECT_NE(beside, here);
}

TEST(SideBySide, AThrowHereStillWaitsForTheOtherHalf) {
    std::atomic<bool> started{false};
    std::atomic<bool> besideDone{false};
    const auto beside = [&] {
        for (int i = 0; i < 2000 && !started; ++i)
            std::this_thread::sleep_for(1ms);
        besideDone = true;
    };
    EXPECT_THROW(RunSideBySide(
                     [&] {
                         started = true;
                         throw std::runtime_error("here failed");
                     },
                     beside),
                 std::runtime_error);
    EXPECT_TRUE(besideDone) << "the other half was left running past the throw";
}

TEST(SideBySide, LanesShareAnIndexSoThatEveryItemIsDoneOnceWithAtMostThatManyAtOnce) {
    struct Case {
        int lanes;
        int items;
    };
    const Case cases[] = {{1, 10}, {4, 3}, {16, 500}, {0, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lanes << " lanes, " << c.items << " items");
        std::vector<std::atomic<int>> done(size_t(c.items));
        std::atomic<int> next{0};
        std::atomic<int> inFlight{0};
        std::atomic<int> most{0};
        RunLanes(c.lanes, [&](int) {
            for (int i = next++; i < c.items; i = next++) {
                const int now = ++inFlight;
                for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
                }
                std::this_thread::yield();
                ++done[size_t(i)];
                --inFlight;
            }
        });
        for (int i = 0; i < c.items; ++i)
            EXPECT_EQ(done[size_t(i)], 1) << "item " << i;
        EXPECT_LE(most, std::max(c.lanes, 1));
    }
}
