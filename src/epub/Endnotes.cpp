// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::processEndnotesForKindle(bool forKindle) {
}

void VoveZedevir::insertEpubEndnotes(const std::string& title) {
}

}  // namespace quillary
