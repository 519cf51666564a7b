#include "app/PostedProgress.h"

namespace quillary::app {

PostedProgress::PostedProgress(MainQueue& queue, StageShown stageShown, FractionShown fractionShown)
    : queue_(queue), stageShown_(std::move(stageShown)), fractionShown_(std::move(fractionShown)) {}

void PostedProgress::stageBegins(controller::BuildStage stage) {
    queue_.post([self = shared_from_this(), stage] { self->stageShown_(stage); });
}

void PostedProgress::advanced(double fraction) {
    latest_ = fraction;
    if (posted_.exchange(true)) return;
    queue_.post([self = shared_from_this()] {
        self->posted_ = false;
        self->fractionShown_(self->latest_.load());
    });
}

}  // namespace quillary::app
