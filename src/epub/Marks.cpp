// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::marksPass(EpubRun& run) {
}

void VoveZedevir::resolveCrossReferences(const EpubRun& run) {
}

}  // namespace quillary
