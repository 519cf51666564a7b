#pragma once
// Background steps on a thread of their own, one at a time.

#include <thread>

#include "platform/BackgroundRunner.h"

namespace quillary {

class ThreadRunner : public BackgroundRunner {
public:
    ThreadRunner() = default;
    ThreadRunner(const ThreadRunner&) = delete;
    ThreadRunner& operator=(const ThreadRunner&) = delete;
    // Waits for a running step, so the application quits cleanly.
    ~ThreadRunner() override { waitIdle(); }

    // A step posts its successor to the main queue as its last act, so
    // joining the previous thread here waits at most for its return.
    void start(std::function<void()> step) override {
        waitIdle();
        worker_ = std::thread(std::move(step));
    }
    void waitIdle() override {
        if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
    }

private:
    std::thread worker_;
};

}  // namespace quillary
