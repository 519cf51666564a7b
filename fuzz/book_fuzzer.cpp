// libFuzzer target for the whole build: any bytes as an RTF manuscript,
// through the reader, the normalisation and the EPUB passes to a book in
// EPUB 3 and EPUB 2. A finding is a crash, a sanitizer report, a hang, or a
// page, package document or NCX of the book that is not well-formed XML.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BookOracle.h"

namespace {

// One private work folder per fuzzing process, made at the first input.
const std::string& workFolder() {
    static const std::string folder = [] {
        std::string pattern = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                              "/book_fuzzer.XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

// The templates of the source tree, unless QUILLARY_RESOURCES names others.
std::string resourcesFolder() {
    if (const char* set = std::getenv("QUILLARY_RESOURCES")) return set;
    return QUILLARY_TEMPLATES;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string resources = resourcesFolder();
    const std::string_view manuscript(reinterpret_cast<const char*>(data), size);
    if (const auto problem = quillary::fuzzing::illFormedDocument(manuscript, resources, workFolder())) {
        std::fprintf(stderr, "ill-formed book: %s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
