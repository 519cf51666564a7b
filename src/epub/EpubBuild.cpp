// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::buildePub() {
}

}  // namespace quillary
