#pragma once
// Zip archives made and taken apart in memory, for documents (.docx) that
// tests assemble from their parts.

#include <string>
#include <utility>
#include <vector>

namespace quillary::testing {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;  // name, content

// An archive of the entries, in order, deflated or (quicker) stored.
std::string zipArchive(const ZipEntries& entries, bool deflated = true);

// The entries of an archive; empty when it cannot be read.
ZipEntries unzipArchive(const std::string& archive);

}  // namespace quillary::testing
