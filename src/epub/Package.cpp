// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::setUpPackage(EpubRun& run) {
}

void VoveZedevir::finishPackage(EpubRun& run) {
}

std::string VoveZedevir::coverImageTypeIn(const std::string& imagesFolder) {
    return {};
}

}  // namespace quillary
