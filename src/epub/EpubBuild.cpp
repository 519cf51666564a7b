#include "build/VoveZedevir.h"

namespace quillary {

void VoveZedevir::buildePub() {
    epubPath.clear();
    epubError.clear();
    EpubRun run;
    setUpPackage(run);
    // Without its private folder the build has nowhere to write: the passes
    // are skipped and ePubComplete reports the failure.
    if (!tempDirectoryPath.empty()) {
        marksPass(run);
        sectionsPass(run);
        finishPackage(run);
    }
    postToMain(&VoveZedevir::ePubComplete);
}

}  // namespace quillary
