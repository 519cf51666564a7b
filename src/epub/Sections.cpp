// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

std::string VoveZedevir::newSection() const {
    return {};
}

std::string VoveZedevir::writeSection(const std::string& sectionTemplate) {
    return {};
}

std::string VoveZedevir::insertNavPointForName(const std::string& name, const std::string& toc) {
    return {};
}

void VoveZedevir::sectionsPass(EpubRun& run) {
}

}  // namespace quillary
