#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "platform/ThreadRunner.h"

using namespace quillary;

TEST(ThreadRunner, AStepStartsOnlyOnceThePreviousOneHasFinished) {
    ThreadRunner runner;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> firstDone{false};
    std::atomic<bool> secondSawFirstDone{false};
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> ranOffTheMainThread{true};

    runner.start([&] {
        released.wait();
        ranOffTheMainThread = ranOffTheMainThread && std::this_thread::get_id() != mainThread;
        firstDone = true;
    });
    // start() below waits for the first step; let it finish from elsewhere.
    std::thread opener([&] { release.set_value(); });
    runner.start([&] { secondSawFirstDone = firstDone.load(); });
    runner.waitIdle();
    opener.join();
    EXPECT_TRUE(secondSawFirstDone);
    EXPECT_TRUE(ranOffTheMainThread);
}

TEST(ThreadRunner, DestroyingTheRunnerWaitsForTheRunningStep) {
    std::atomic<bool> finished{false};
    std::atomic<int> spins{0};
    {
        ThreadRunner runner;
        runner.start([&] {
            while (spins.fetch_add(1) < 1000000) {}
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}
