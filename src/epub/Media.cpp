// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::mediaDirective(EpubRun& run) {
}

void VoveZedevir::imageDirective(EpubRun& run) {
}

void VoveZedevir::insertImages(const std::vector<std::string>& images, const std::string& imagesFolder, const std::vector<std::string>& media, const std::string& mediaFolder) {
}

}  // namespace quillary
