#pragma once
// The report a finished build gives the author, made the same way for every
// front end: what was made and where, or why nothing was, and every problem
// the build found, grouped by kind, each with where it was found.

#include <optional>
#include <string>

#include "book/BuildRequest.h"
#include "book/BuildResult.h"
#include "platform/Alerts.h"
#include "platform/Localizer.h"

namespace quillary::app {

// The report of `result` for the book titled `title` (as the author typed
// it, not in publication form). `failureAlert` is the alert that ended a build
// without its EPUB (see epubFailureAlert); `kindleAlert` the Kindle step's,
// when it made no file. The outcome is NotMade without an EPUB,
// MadeWithProblems when any problem was found or the Kindle file asked for
// was not made, else Clean.
BuildReport describeBuild(const std::string& title, const BuildRequest& request, const BuildResult& result,
                          const Localizer& texts,
                          const std::optional<Alert>& failureAlert = std::nullopt,
                          const std::optional<Alert>& kindleAlert = std::nullopt);

}  // namespace quillary::app
