#pragma once
// A build's progress as a front end sees it: the build's thread tells, and
// the front end hears on its main thread, through the main queue. How far
// the assembly is comes at most once per queue turn (the latest value wins),
// so a long book does not flood the queue. It also carries the request to
// stop the build.

#include <atomic>
#include <functional>
#include <memory>

#include "controller/BuildBook.h"
#include "platform/MainQueue.h"

namespace quillary::app {

class PostedProgress : public controller::BuildProgress, public std::enable_shared_from_this<PostedProgress> {
public:
    using StageShown = std::function<void(controller::BuildStage stage)>;
    using FractionShown = std::function<void(double fraction)>;

    // The callbacks run on the main thread, in the order the build told;
    // they must outlive every step posted to `queue`.
    PostedProgress(MainQueue& queue, StageShown stageShown, FractionShown fractionShown);

    void stageBegins(controller::BuildStage stage) override;
    void advanced(double fraction) override;
    bool cancelled() const override { return cancelled_.load(); }

    // Any thread: the build stops at its next question.
    void cancel() { cancelled_ = true; }

private:
    MainQueue& queue_;
    StageShown stageShown_;
    FractionShown fractionShown_;
    std::atomic<double> latest_{0};
    std::atomic<bool> posted_{false};
    std::atomic<bool> cancelled_{false};
};

}  // namespace quillary::app
