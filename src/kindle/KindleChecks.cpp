// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::noKindleGen() {
}

void VoveZedevir::kindleGenAlertEnded(int returnCode) {
}

void VoveZedevir::noKindleMac() {
}

void VoveZedevir::noKindleMacDidEnd(int returnCode) {
}

std::optional<std::string> VoveZedevir::kindleViewer() const {
    return {};
}

}  // namespace quillary
