// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::buildKindle() {
}

std::string VoveZedevir::kindlegenPath() const {
    return {};
}

}  // namespace quillary
