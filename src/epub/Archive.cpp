// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "epub/Archive.h"

namespace quillary::archive {

Result writePackage(const std::string&, const std::string&, const std::vector<std::string>&) {
    return {false, "not written yet"};
}

}  // namespace quillary::archive
