#include "controller/VoveZedevir.h"

namespace quillary {

void VoveZedevir::buildePub() {
    epubPath.clear();
    epubError.clear();
    EpubRun run;
    setUpPackage(run);
    // Without its private folder or the program's own files the build has
    // nothing to make a book of: the passes are skipped and ePubComplete
    // reports the failure.
    if (const auto& failure = buildWrites.failure()) {
        epubError = *failure;
    } else {
        marksPass(run);
        sectionsPass(run);
        finishPackage(run);
    }
    postToMain(&VoveZedevir::ePubComplete);
}

}  // namespace quillary
