#pragma once
// The build's outcome as one JSON object, for scripts.

#include <string>

namespace quillary {

class VoveZedevir;

// {"epub": path|null, "mobi": path|null, "alert": {...}|null, "alerts": [...],
//  "problems": {the seven flags and lists by their field names}}
// `alert` is the completion report's problem alert, or, for a failed build,
// the alert that ended it.
std::string buildReportJson(const VoveZedevir& controller, bool buildFailed);

std::string jsonString(const std::string& text);

}  // namespace quillary
