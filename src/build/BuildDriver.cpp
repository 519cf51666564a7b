// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::makeQuillary() {
}

void VoveZedevir::savePanelEndedWithName(const std::string& name, const std::string& folder, int returnCode) {
}

void VoveZedevir::extractComplete() {
}

void VoveZedevir::lineComplete() {
}

void VoveZedevir::ePubComplete() {
}

std::optional<std::string> VoveZedevir::applicationDirectory() const {
    return {};
}

std::string VoveZedevir::defaultBookName() const {
    return {};
}

}  // namespace quillary
