#include "base/SideBySide.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

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
