// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

std::string VoveZedevir::fixEncodings(const std::string& text, bool forBookInfo) const {
    return {};
}

std::string VoveZedevir::fixLinks(const std::string& line) {
    return {};
}

}  // namespace quillary
