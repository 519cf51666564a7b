#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ThreadRunner.h"

using namespace quillary;

// Each step keeps its thread busy for a while, so that a runner that did not
// wait would let the next step, or the end of the test, overtake it.
TEST(ThreadRunner, StepsRunOneAtATimeOffTheMainThreadAndTheRunnerWaitsForTheLast) {
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> firstDone{false}, secondSawFirstDone{false}, lastDone{false}, offTheMainThread{false};
    auto busy = [] {
        std::atomic<int> spins{0};
        while (spins.fetch_add(1) < 1000000) {}
    };
    {
        ThreadRunner runner;
        runner.start([&] {
            busy();
            offTheMainThread = std::this_thread::get_id() != mainThread;
            firstDone = true;
        });
        runner.start([&] {
            secondSawFirstDone = firstDone.load();
            busy();
            lastDone = true;
        });
    }
    EXPECT_TRUE(offTheMainThread);
    EXPECT_TRUE(secondSawFirstDone);
    EXPECT_TRUE(lastDone);
}
