// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::selectManuscript() {
}

void VoveZedevir::openPanelDidEnd(int returnCode, const std::string& path) {
}

bool VoveZedevir::openFile(const std::string& path) {
    return {};
}

void VoveZedevir::loadManuscript() {
}

bool VoveZedevir::installKindlegen(const std::string& path) {
    return {};
}

}  // namespace quillary
