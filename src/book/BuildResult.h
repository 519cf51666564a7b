#pragma once
// What a build made and found: the books, or why there is none, and the
// problems of the manuscript.

#include <chrono>
#include <optional>
#include <string>

#include "book/Problems.h"
#include "platform/Window.h"

namespace quillary {

// How long each stage of the EPUB took, for the benchmark.
struct StageTimes {
    using Span = std::chrono::microseconds;
    Span convert{}, normalise{}, assemble{}, documents{}, archive{};
};

struct BuildResult {
    std::string epubPath;    // the EPUB at the destination; empty when not made
    std::string epubError;   // why the EPUB was not made, for the make-failure alert
    std::string kindlePath;  // the Kindle file at the destination; empty when not made
    Problems problems;
    std::optional<Alert> problemAlert;  // the completion report's alert, if any
    StageTimes times;
};

}  // namespace quillary
