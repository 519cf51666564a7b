#pragma once
// A main queue that the test drains, and a background runner that runs each
// step at once on the caller's thread: together they run a build's chain
// deterministically, step by step.

#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "platform/BackgroundRunner.h"
#include "platform/MainQueue.h"

namespace quillary::testing {

class FakeMainQueue : public MainQueue {
public:
    void post(std::function<void()> step) override {
        std::lock_guard lock(mutex_);
        steps_.push_back(std::move(step));
    }
    // Runs queued steps (and the steps they queue) until none is left.
    // Returns how many ran.
    int drain() {
        int ran = 0;
        while (runOne()) ++ran;
        return ran;
    }
    bool runOne() {
        std::function<void()> step;
        {
            std::lock_guard lock(mutex_);
            if (steps_.empty()) return false;
            step = std::move(steps_.front());
            steps_.pop_front();
        }
        step();
        return true;
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> steps_;
};

class InlineRunner : public BackgroundRunner {
public:
    void start(std::function<void()> step) override {
        ++started;
        step();
    }
    void waitIdle() override {}
    int started = 0;
};

// A runner that holds its steps until the test runs them, as a thread would
// run them some time later.
class HeldRunner : public BackgroundRunner {
public:
    void start(std::function<void()> step) override { held_.push_back(std::move(step)); }
    void waitIdle() override {}
    // Runs the steps held so far, in order; returns how many ran.
    int runHeld() {
        std::deque<std::function<void()>> steps = std::exchange(held_, {});
        for (auto& step : steps) step();
        return static_cast<int>(steps.size());
    }

private:
    std::deque<std::function<void()>> held_;
};

}  // namespace quillary::testing
