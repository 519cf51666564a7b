#pragma once
// The build's outcome as one JSON object, for scripts.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "book/BuildResult.h"
#include "epub/BookCheck.h"
#include "platform/Alerts.h"
#include "platform/Localizer.h"

namespace quillary::cli {

// {"epub": path|null, "mobi": path|null, "alert": {...}|null, "alerts": [...],
//  "problems": {every kind of problem by its field name: flags and lists},
//  "validation": {...} when the book was checked (see bookCheckJson)}
// `alert` is the completion report's problem alert, or, for a failed build,
// the last of the alerts shown, the one that ended it.
std::string buildReportJson(const BuildResult& result, const std::optional<Alert>& problemAlert,
                            const std::vector<Alert>& alertsShown, const std::optional<epub::BookCheck>& validation);

// The report of a build refused before it began: the build's report with
// nothing made, and "refused" holding why.
std::string refusalReportJson(const std::string& reason);

std::string jsonString(const std::string& text);

// {"outcome": "valid"|"invalid"|"not installed"|"failed", "errors": n,
//  "warnings": n, "messages": [{"severity", "code", "page", "firstWords",
//  "line" (null when not given), "message"}]}
std::string bookCheckJson(const epub::BookCheck& check);

// Every problem the build found, for a person: one line each, what it is
// and, where the problem names a place in the manuscript (a file its
// directive uses, a bookmark, a link), that name. In the order of the alerts.
std::vector<std::string> problemLines(const Problems& problems, const Localizer& texts);
// The title keys of the problem alerts that those lines stand for.
std::set<std::string> problemTitleKeys();

}  // namespace quillary::cli
