// TEMPORARY STUBS: replaced by the real implementation of this area.
#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::extractHTML() {
}

void VoveZedevir::extractFailed() {
}

void VoveZedevir::formattingError() {
}

std::optional<std::string> VoveZedevir::executeShellCommandSynchronously(const std::string& commandLine, const std::string& workingFolder) {
    return {};
}

}  // namespace quillary
