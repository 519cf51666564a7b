// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

std::string VoveZedevir::buildStyle() {
    return {};
}

}  // namespace quillary
