#pragma once
// Where the build's background steps run.

#include <functional>

namespace quillary {

class BackgroundRunner {
public:
    virtual ~BackgroundRunner() = default;

    // Starts `step` off the main thread. The build's steps follow each other,
    // so at most one runs at a time; an implementation waits for the previous
    // one to have finished before it starts the next. Main thread only.
    virtual void start(std::function<void()> step) = 0;

    // Blocks until no step is running (used when the application quits).
    virtual void waitIdle() = 0;
};

}  // namespace quillary
