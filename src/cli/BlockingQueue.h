#pragma once
// The command line's main queue: the main thread waits for the next step.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/MainQueue.h"

namespace quillary::cli {

class BlockingQueue : public MainQueue {
public:
    void post(std::function<void()> step) override {
        {
            std::lock_guard lock(mutex_);
            steps_.push_back(std::move(step));
        }
        ready_.notify_one();
    }

    // Waits for the next step and runs it, calling `idle` each time `patience`
    // passes without one. Main thread.
    void runOne(const std::function<void()>& idle = {},
                std::chrono::milliseconds patience = std::chrono::milliseconds(100)) {
        std::function<void()> step;
        {
            std::unique_lock lock(mutex_);
            while (!ready_.wait_for(lock, patience, [this] { return !steps_.empty(); })) {
                if (!idle) continue;
                lock.unlock();
                idle();
                lock.lock();
            }
            step = std::move(steps_.front());
            steps_.pop_front();
        }
        step();
    }

    // Runs the steps queued so far without waiting for more. Main thread.
    void runQueued() {
        std::deque<std::function<void()>> steps;
        {
            std::lock_guard lock(mutex_);
            steps.swap(steps_);
        }
        for (auto& step : steps) step();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> steps_;
};

}  // namespace quillary::cli
