#pragma once
// The EPUB container as a zip archive, written in process.

#include <string>
#include <vector>

namespace quillary::archive {

struct Result {
    bool ok = false;
    std::string error;  // why not, for the author; empty when ok
};

// Zips the package tree under `packageFolder` into `archivePath`: the entry
// "mimetype" first and stored, every other file deflated at level 9, in a
// fixed (sorted) order, without directory entries or extra fields; entry
// times from SOURCE_DATE_EPOCH when it is set, so a build can be
// reproduced byte for byte. Files named in `leaveOut` (paths relative to the
// folder) are not packed. The archive is written beside `archivePath` under
// a temporary name and renamed over it only when complete: a failure never
// replaces a good archive. Any thread.
Result writePackage(const std::string& packageFolder, const std::string& archivePath,
                    const std::vector<std::string>& leaveOut = {});

}  // namespace quillary::archive
